#include "dialogs/CMidiDevicesDialog.h"

#include "framework/core/LException.h"
#include "framework/core/StDialogHandler.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/UQtText.h"
#include "midi/CMidiOperation.h"
#include "midi/CMidiSystemWatcher.h"
#include "midi/SDeviceMenu.h"

#include <functional>
#include <utility>

namespace {

// An item of a pop-up named by its text and by which of the items with that text it is, so
// that it is found again after other items came or went.
struct SItemName {
  QString text;
  int occurrence = 0;
};

SItemName NameOfItem(const QStringList& items, int index) {
  const QString& text = items.value(index);
  return {text, static_cast<int>(items.mid(0, index).count(text))};
}

// The index of the item `name`, or -1.
int FindItem(const QStringList& items, const SItemName& name) {
  int occurrence = 0;
  for (int index = 0; index < items.size(); ++index) {
    if (items[index] == name.text && occurrence++ == name.occurrence) return index;
  }
  return -1;
}

QStringList PopupItems(const LPopupButton& popup) {
  QStringList items;
  for (std::int16_t item = 1; item <= popup.GetMenuItemCount(); ++item)
    items << popup.GetMenuItemText(item);
  return items;
}

// The pop-up's own first item (no device), then the service's endpoints.
QStringList MenuItems(const LPopupButton& popup, const SDeviceMenu& menu) {
  QStringList items;
  items << (popup.GetMenuItemCount() > 0 ? popup.GetMenuItemText(SDeviceMenu::kNoDeviceItem)
                                         : UQtText::FromUTF8(SDeviceMenu::kNoDeviceText));
  for (std::int16_t item = SDeviceMenu::kNoDeviceItem + 1; item <= menu.CountItems(); ++item)
    items << UQtText::FromUTF8(menu.GetItemText(item));
  return items;
}

void SetPopup(LPopupButton& popup, const QStringList& items, std::int16_t selectedItem) {
  popup.StopBroadcasting();
  popup.SetMenuItems(items);
  popup.SetValue(selectedItem);
  popup.StartBroadcasting();
}

// Fills the pop-up from `menu`, keeping the item the user has chosen in it; no device when
// that item is gone.
void RefillPopup(LPopupButton& popup, const SDeviceMenu& menu) {
  const SItemName chosen = NameOfItem(PopupItems(popup), popup.GetValue() - 1);
  const QStringList items = MenuItems(popup, menu);
  const int found = FindItem(items, chosen);
  SetPopup(popup, items,
           found < 0 ? SDeviceMenu::kNoDeviceItem : static_cast<std::int16_t>(found + 1));
}

}  // namespace

// Hears the service's setup changes while the dialog runs.
class CMidiDevicesDialog::CSetupWatcher final : public CMidiSystemWatcher {
 public:
  explicit CSetupWatcher(std::function<void()> onSetupChanged)
      : mOnSetupChanged(std::move(onSetupChanged)) {}

  void ReceiveSystemMessage(OSType, long message, void*) override {
    if (message == kMidiSetupChanged) mOnSetupChanged();
  }

 private:
  std::function<void()> mOnSetupChanged;
};

CMidiDevicesDialog::CMidiDevicesDialog(std::unique_ptr<CMidiOperation>& service,
                                       std::string midiSystemName)
    : mServiceHolder(&service),
      mCurrentService(CMidiOperation::GetCurrent()),
      mMidiSystemName(std::move(midiSystemName)) {}

CMidiDevicesDialog::~CMidiDevicesDialog() {
  mServiceHolder = nullptr;
  mCurrentService = nullptr;
}

std::string CMidiDevicesDialog::DescribeMidiSystem(const std::string& midiSystemName) {
  if (midiSystemName == "ALSA") return "MIDI system: ALSA sequencer.";
  if (midiSystemName == "JACK") return "MIDI system: JACK server.";
  if (!midiSystemName.empty()) return "MIDI system: " + midiSystemName + ".";
  return "No MIDI system: only the built-in virtual device is available; start JACK or load "
         "the ALSA sequencer to reach a real KVX.";
}

bool CMidiDevicesDialog::OpenDialog(LCommander* superCommander) {
  StDialogHandler handler(kLayoutID, superCommander);
  LDialogBox* dialog = ThrowIfNil(LQtDialogHost::GetDialogBox(handler));
  Initialize(dialog);
  // Setup changes arrive from the MIDI system's periodical, which runs inside the loop.
  const CSetupWatcher watcher([this, &handler] {
    if (LDialogBox* shown = LQtDialogHost::GetDialogBox(handler)) RefreshDevices(shown);
  });
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
  if (dialog == nullptr) return;
  if (LPane* caption = dialog->FindPaneByID(kSystemCaptionID))
    caption->SetDescriptorText(UQtText::FromUTF8(DescribeMidiSystem(mMidiSystemName)));
  if (mCurrentService == nullptr) return;
  auto* inputs = ThrowIfNil(dialog->FindPaneByID<LPopupButton>(kInportPopupID));
  auto* outputs = ThrowIfNil(dialog->FindPaneByID<LPopupButton>(kOutportPopupID));

  std::int16_t selected = SDeviceMenu::kNoDeviceItem;
  std::unique_ptr<SDeviceMenu> menu = mCurrentService->CreateInportDeviceMenu(0, selected);
  SetPopup(*inputs, MenuItems(*inputs, *ThrowIfNil(menu.get())), selected);

  selected = SDeviceMenu::kNoDeviceItem;
  menu = mCurrentService->CreateOutportDeviceMenu(0, selected);
  SetPopup(*outputs, MenuItems(*outputs, *ThrowIfNil(menu.get())), selected);
}

void CMidiDevicesDialog::RefreshDevices(LView* dialog) {
  if (mCurrentService == nullptr) return;
  auto* inputs = dialog->FindPaneByID<LPopupButton>(kInportPopupID);
  auto* outputs = dialog->FindPaneByID<LPopupButton>(kOutportPopupID);
  std::int16_t ignored = 0;
  if (const auto menu = mCurrentService->CreateInportDeviceMenu(0, ignored);
      inputs != nullptr && menu != nullptr)
    RefillPopup(*inputs, *menu);
  if (const auto menu = mCurrentService->CreateOutportDeviceMenu(0, ignored);
      outputs != nullptr && menu != nullptr)
    RefillPopup(*outputs, *menu);
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
