#include "mainwindow/UMainWindowClasses.h"

#include "framework/ui/UControlRegistry.h"
#include "framework/ui/URegistrar.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "support/CPatchCmdEditField.h"
#include "support/CSpinEditField.h"

void UMainWindowClasses::RegisterClasses() {
  UControlRegistry::RegisterViewClasses();
  UControlRegistry::RegisterAMClasses();
  URegistrar::RegisterClass<CPatchCmdEditField>();
  URegistrar::RegisterClass<CSpinEditField>();
  URegistrar::RegisterClass<CMainWindow>();
  URegistrar::RegisterClass<CMainPicture>();
}
