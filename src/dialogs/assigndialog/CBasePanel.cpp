#include "dialogs/assigndialog/CBasePanel.h"

#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "framework/ui/LWindow.h"

CBasePanel::CBasePanel(const LPaneData& data) : LView(data) {}

void CBasePanel::FinishCreateSelf() {
  LView::FinishCreateSelf();
  mDialog = dynamic_cast<CMsgAssignDialog*>(LWindow::FetchWindowObject(this));
  ThrowIfNot(mDialog != nullptr, "a panel of the assign dialog is outside the dialog");
}

bool CBasePanel::GetPanelParam(SPatchParam&) { return true; }

void CBasePanel::SetPanelParam(const SPatchParam*) {}

void CBasePanel::InitPanelParam() {}

void CBasePanel::HandleParamChanged(MessageT, const void*) {}

void CBasePanel::SetParamIndex(long) {}
