// The base of every panel of the assign dialog: the contract between the dialog and its
// panels. A panel shows a record (SetPanelParam), writes the fields it owns back into a record
// (GetPanelParam, false to refuse it), resets its controls (InitPanelParam), adapts to a change
// of message type (HandleParamChanged) and learns which controller it serves (SetParamIndex).
// The base does nothing and accepts every record.
//
// Panels exist only inside a CMsgAssignDialog: FinishCreateSelf finds the dialog around the
// panel and throws err_AssertFailed when there is none. Created from layouts as class 'Base'
// (a panel without controls). Main thread only.
#pragma once

#include "document/SPatchParam.h"
#include "framework/core/LException.h"
#include "framework/ui/LView.h"

class CMsgAssignDialog;

class CBasePanel : public LView {
 public:
  static constexpr ClassIDT class_ID = FourCC("Base");

  explicit CBasePanel(const LPaneData& data);

  virtual bool GetPanelParam(SPatchParam& out);
  virtual void SetPanelParam(const SPatchParam* record);
  virtual void InitPanelParam();
  virtual void HandleParamChanged(MessageT message, const void* param);
  virtual void SetParamIndex(long index);

  CMsgAssignDialog* GetDialog() const { return mDialog; }

 protected:
  void FinishCreateSelf() override;

  // The control `paneID` of this panel; err_NilPointer when the layout lacks it.
  template <class T>
  T* GetControl(PaneIDT paneID) {
    return ThrowIfNil(FindPaneByID<T>(paneID));
  }

 private:
  CMsgAssignDialog* mDialog = nullptr;  // the window around the panel, not owned
};
