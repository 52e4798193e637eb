#include "dialogs/CMidiDevicesDialog.h"

#include "framework/core/LException.h"
#include "framework/core/StDialogHandler.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/UQtText.h"
#include "midi/CMidiOperation.h"
#include "midi/SDeviceMenu.h"

#include <memory>

namespace {

// The pop-up keeps its own first item (no device); the service's endpoints follow it.
void FillPopup(LPopupButton& popup, const SDeviceMenu& menu, std::int16_t selectedItem) {
  QStringList items;
  items << (popup.GetMenuItemCount() > 0 ? popup.GetMenuItemText(SDeviceMenu::kNoDeviceItem)
                                         : UQtText::FromUTF8(SDeviceMenu::kNoDeviceText));
  for (std::int16_t item = SDeviceMenu::kNoDeviceItem + 1; item <= menu.CountItems(); ++item)
    items << UQtText::FromUTF8(menu.GetItemText(item));
  popup.StopBroadcasting();
  popup.SetMenuItems(items);
  popup.SetValue(selectedItem);
  popup.StartBroadcasting();
}

}  // namespace

CMidiDevicesDialog::CMidiDevicesDialog(std::unique_ptr<CMidiOperation>& service)
    : mServiceHolder(&service), mCurrentService(CMidiOperation::GetCurrent()) {}

CMidiDevicesDialog::~CMidiDevicesDialog() {
  mServiceHolder = nullptr;
  mCurrentService = nullptr;
}

bool CMidiDevicesDialog::OpenDialog(LCommander* superCommander) {
  StDialogHandler handler(kLayoutID, superCommander);
  LDialogBox* dialog = ThrowIfNil(LQtDialogHost::GetDialogBox(handler));
  Initialize(dialog);
  MessageT message = msg_Nothing;
  while (message != msg_OK && message != msg_Cancel) {
    message = handler.DoDialog();
    // A dialog that went away without an answer counts as cancelled.
    if (LQtDialogHost::GetDialogBox(handler) == nullptr && message == msg_Nothing)
      message = msg_Cancel;
  }
  return Finalize(message, LQtDialogHost::GetDialogBox(handler));
}

void CMidiDevicesDialog::Initialize(LView* dialog) {
  if (mCurrentService == nullptr || dialog == nullptr) return;
  auto* inputs = ThrowIfNil(dialog->FindPaneByID<LPopupButton>(kInportPopupID));
  auto* outputs = ThrowIfNil(dialog->FindPaneByID<LPopupButton>(kOutportPopupID));

  std::int16_t selected = SDeviceMenu::kNoDeviceItem;
  std::unique_ptr<SDeviceMenu> menu = mCurrentService->CreateInportDeviceMenu(0, selected);
  FillPopup(*inputs, *ThrowIfNil(menu.get()), selected);

  selected = SDeviceMenu::kNoDeviceItem;
  menu = mCurrentService->CreateOutportDeviceMenu(0, selected);
  FillPopup(*outputs, *ThrowIfNil(menu.get()), selected);
}

bool CMidiDevicesDialog::Finalize(MessageT message, LView* dialog) {
  if (message != msg_OK) return false;
  if (mCurrentService == nullptr || dialog == nullptr) return true;
  auto* inputs = dialog->FindPaneByID<LPopupButton>(kInportPopupID);
  auto* outputs = dialog->FindPaneByID<LPopupButton>(kOutportPopupID);
  if (inputs != nullptr)
    mCurrentService->SelectInportDeviceMenu(0, static_cast<std::int16_t>(inputs->GetValue()));
  if (outputs != nullptr)
    mCurrentService->SelectOutportDeviceMenu(0, static_cast<std::int16_t>(outputs->GetValue()));
  return true;
}
