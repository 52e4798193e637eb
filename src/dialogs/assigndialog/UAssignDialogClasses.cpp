#include "dialogs/assigndialog/UAssignDialogClasses.h"

#include "dialogs/assigndialog/CAssignPanel.h"
#include "dialogs/assigndialog/CButtonSettingPanel.h"
#include "dialogs/assigndialog/CChannelMsgPanel.h"
#include "dialogs/assigndialog/CChannelSubPanels.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "dialogs/assigndialog/CNoteNameCaption.h"
#include "dialogs/assigndialog/CSystemPanels.h"
#include "dialogs/assigndialog/CTemplatePanels.h"
#include "framework/ui/URegistrar.h"

void UAssignDialogClasses::RegisterClasses() {
  URegistrar::RegisterClass<CMsgAssignDialog>();
  URegistrar::RegisterClass<CBasePanel>();
  URegistrar::RegisterClass<CAssignPanel>();
  URegistrar::RegisterClass<CChannelMsgPanel>();
  URegistrar::RegisterClass<CSystemRealtimePanel>();
  URegistrar::RegisterClass<CSysxPanel>();
  URegistrar::RegisterClass<CFreeMsgPanel>();
  URegistrar::RegisterClass<CTempoPanel>();
  URegistrar::RegisterClass<CNotePanel>();
  URegistrar::RegisterClass<CCCPanel>();
  URegistrar::RegisterClass<CChannelPressurePanel>();
  URegistrar::RegisterClass<CPolyPressurePanel>();
  URegistrar::RegisterClass<CPCPanel>();
  URegistrar::RegisterClass<CFixedPCPanel>();
  URegistrar::RegisterClass<CIncPCPanel>();
  URegistrar::RegisterClass<CDecPCPanel>();
  URegistrar::RegisterClass<CFixedBankPCPanel>();
  URegistrar::RegisterClass<CRPNPanel>();
  URegistrar::RegisterClass<CNRPNPanel>();
  URegistrar::RegisterClass<CEncoderSimulatePanel>();
  URegistrar::RegisterClass<CPortSettingPanel>();
  URegistrar::RegisterClass<CButtonSettingPanel>();
  // The note names beside note numbers in the channel panels.
  URegistrar::RegisterClass<CNoteNameCaption>();
}
