#include "framework/ui/LDialogBox.h"

#include "framework/core/StDialogHandler.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/UKeyFilters.h"
#include "framework/ui/UKeyboard.h"


namespace {

bool presses(LPushButton* button) {
  if (button == nullptr || !button->IsEnabled()) return false;
  button->SimulateHotSpotClick();
  return true;
}

}  // namespace

LDialogBox::LDialogBox(const LPaneData& data)
    : LWindow(data.WithDefault("kind", QStringLiteral("dialog"))) {}

void LDialogBox::FinishCreateSelf() {
  for (LPushButton* button : GetPanesOfClass<LPushButton>()) {
    if (button->IsDefaultButton() && mDefaultButton == nullptr) mDefaultButton = button;
    if (button->IsCancelButton() && mCancelButton == nullptr) mCancelButton = button;
    const MessageT message = button->GetValueMessage();
    if (message == msg_OK || message == msg_Cancel) button->AddListener(this);
  }
}

bool LDialogBox::HandleKeyPress(const EventRecord& event) {
  const std::uint16_t charCode = UKeyboard::CharCode(event);
  const bool command = (event.modifiers & cmdKey) != 0;
  if (!command && (charCode == char_Return || charCode == char_Enter)) {
    if (presses(mDefaultButton)) return true;
  }
  const bool escape = charCode == char_Escape && UKeyboard::KeyCode(event) != vkey_Clear;
  if ((!command && escape) || (command && charCode == '.')) {
    if (presses(mCancelButton)) return true;
  }
  return LWindow::HandleKeyPress(event);
}

void LDialogBox::ListenToMessage(MessageT message, void*) {
  if (mHandledModally) return;
  if (message == msg_OK || message == msg_Cancel) AttemptClose();
}

void LDialogBox::AttemptClose() {
  if (!mHandledModally) {
    LWindow::AttemptClose();
    return;
  }
  // The handler's loop decides; the close box answers as Cancel would (or as OK, in a dialog
  // that only has OK).
  if (!presses(mCancelButton)) presses(mDefaultButton);
}
