// The editor as a user drives it from end to end: the built-in virtual device chosen in the
// MIDI devices dialog, a patch opened, sent to the device, the editor's patch emptied, and the
// device's patch requested back, every dialog answered as a user would.
#include "EditorTestSupport.h"

#include "dialogs/CMidiDevicesDialog.h"
#include "document/CPatch.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LPushButton.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

#include <QPushButton>

#include <array>

namespace kvxtest {
namespace {

constexpr PaneIDT kAffirmButton = 1;  // OK, Send, Request

// The device image of every controller.
std::vector<std::array<unsigned char, kBulkDumpSize>> Dumps(const CPatch& patch) {
  std::vector<std::array<unsigned char, kBulkDumpSize>> dumps(kControllerCount);
  for (long index = 0; index < kControllerCount; ++index)
    patch.MakeBulkSysx(index, dumps[static_cast<std::size_t>(index)].data());
  return dumps;
}

class DeviceRoundTrip : public EditorTest {};

TEST_F(DeviceRoundTrip, APatchSentToTheBuiltInDeviceComesBackTheSame) {
  StartEditor();
  // Every dialog that asks is answered yes; the built-in device is chosen for both ports.
  std::vector<std::string> dialogs;
  CModalAnswerer answerer([&](QWidget& widget) {
    auto* dialog = dynamic_cast<LDialogBox*>(&widget);
    if (dialog == nullptr) return;
    dialogs.push_back(dialog->windowTitle().toStdString());
    // Panes are looked up untyped: their IDs mean other things in other dialogs.
    const auto pane = [dialog](PaneIDT id) { return dialog->FindPaneByID(id); };
    if (auto* inputs = dynamic_cast<LPopupButton*>(pane(CMidiDevicesDialog::kInportPopupID))) {
      inputs->SetValue(2);
      dynamic_cast<LPopupButton&>(*pane(CMidiDevicesDialog::kOutportPopupID)).SetValue(2);
    }
    if (auto* yes = dynamic_cast<LPushButton*>(pane(kAffirmButton))) yes->GetButton()->click();
  });
  Command(cmd_MidiDevices);
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  const auto sent = Dumps(Patch());

  // The main window is the target again, as when the user comes back to it.
  LCommander::SwitchTarget(Doc().GetMainWindow());
  EXPECT_TRUE(Command(cmd_SendPatch));
  Command(cmd_New);
  ASSERT_FALSE(Dumps(Patch()) == sent);
  LCommander::SwitchTarget(Doc().GetMainWindow());
  EXPECT_TRUE(Command(cmd_RequestPatch));

  EXPECT_TRUE(Dumps(Patch()) == sent) << "the patch came back changed";
  EXPECT_EQ(Patch().GetReceivedCount(), kControllerCount);
  EXPECT_TRUE(Doc().IsModified()) << "a received patch is not saved yet";
  EXPECT_TRUE(AlertIndices().empty());
  // Devices; Send confirmed twice (the window, then the transfer), its progress; Request
  // confirmed, the wait for the device, the progress.
  EXPECT_EQ(dialogs,
            (std::vector<std::string>{"MIDI Devices", "Send Patch", "Send Patch", "Transferring",
                                      "Request Patch", "Request Patch", "Transferring"}));
}

}  // namespace
}  // namespace kvxtest
