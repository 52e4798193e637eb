// A dialog window. It listens to its push buttons for OK (900) and Cancel (901) and closes on
// them (unless a modal dialog handler runs it, which takes the messages itself). Return and
// Enter press the default button, Escape and Ctrl-period the cancel button.
//
// A modeless dialog that decides itself what OK and Cancel do (OK applies its edits and closes
// only when that succeeds) overrides ListenToMessage and handles msg_OK and msg_Cancel without
// passing them to LDialogBox::ListenToMessage. Nothing else closes it on them: Return and
// Escape only press the buttons, whose messages come to its ListenToMessage. Its close box
// still calls AttemptClose, and keys it wants before the menus (Ctrl+W) it names in
// KeepsMenuKey.
#pragma once

#include "framework/core/LListener.h"
#include "framework/ui/LWindow.h"

class LPushButton;

class LDialogBox : public LWindow, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("dlog");

  // "kind" defaults to "dialog".
  explicit LDialogBox(const LPaneData& data);

  LPushButton* GetDefaultButton() const { return mDefaultButton; }
  LPushButton* GetCancelButton() const { return mCancelButton; }

  // While a modal dialog handler runs the dialog, OK and Cancel do not close it and its close
  // box clicks the cancel button.
  void SetHandledModally(bool modal) { mHandledModally = modal; }
  bool IsHandledModally() const { return mHandledModally; }

  bool HandleKeyPress(const EventRecord& event) override;
  void ListenToMessage(MessageT message, void* param) override;
  void AttemptClose() override;

 protected:
  // Finds the default and cancel buttons and listens to the OK and Cancel buttons. Subclasses
  // that override it call it first.
  void FinishCreateSelf() override;

 private:
  LPushButton* mDefaultButton = nullptr;
  LPushButton* mCancelButton = nullptr;
  bool mHandledModally = false;
};
