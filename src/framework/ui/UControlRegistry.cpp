#include "framework/ui/UControlRegistry.h"

#include "framework/ui/LCheckBox.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LLittleArrows.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPicture.h"
#include "framework/ui/LPopupGroupBox.h"
#include "framework/ui/LProgressBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LStaticText.h"
#include "framework/ui/LTabGroup.h"
#include "framework/ui/LTextGroupBox.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/URegistrar.h"

void UControlRegistry::RegisterAMClasses() {
  URegistrar::RegisterClass<LPushButton>();
  URegistrar::RegisterClass<LCheckBox>();
  URegistrar::RegisterClass<LPopupButton>();
  URegistrar::RegisterClass<LPopupGroupBox>();
  URegistrar::RegisterClass<LTextGroupBox>();
  URegistrar::RegisterClass<LLittleArrows>();
  URegistrar::RegisterClass<LProgressBar>();
  URegistrar::RegisterClass<LStaticText>();
  URegistrar::RegisterClass<LEditText>();
  URegistrar::RegisterClass<LMultiPanelView>();
  URegistrar::RegisterClass<LPicture>();
}

void UControlRegistry::RegisterViewClasses() {
  URegistrar::RegisterClass<LView>();
  URegistrar::RegisterClass<LWindow>();
  URegistrar::RegisterClass<LDialogBox>();
  URegistrar::RegisterClass<LTabGroup>();
}
