// The MIDI devices dialog over the running editor's service: its pop-ups list "None" and the
// endpoints with the chosen one selected, OK applies the choice at once, Cancel changes
// nothing, and the choice reaches the preference file when the editor quits.
#include "EditorTestSupport.h"

#include "dialogs/CMidiDevicesDialog.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LPushButton.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"

#include <QPushButton>

#include <memory>
#include <type_traits>

namespace kvxtest {
namespace {

constexpr PaneIDT kOKButton = 1;
constexpr PaneIDT kCancelButton = 2;

// What the dialog showed when it came up.
struct SShown {
  QStringList inputs;
  QStringList outputs;
  std::int32_t input = 0;
  std::int32_t output = 0;
};

class MidiDevicesDialog : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartEditor();
  }

  // Runs the dialog through the 'Mdev' command, choosing `input` and `output` (0: leave them)
  // and pressing `button`.
  SShown RunDialog(std::int32_t input, std::int32_t output, PaneIDT button) {
    SShown shown;
    CModalAnswerer answerer([&](QWidget& widget) {
      auto* dialog = dynamic_cast<LDialogBox*>(&widget);
      if (dialog == nullptr) return;
      auto* inputs = dialog->FindPaneByID<LPopupButton>(CMidiDevicesDialog::kInportPopupID);
      auto* outputs = dialog->FindPaneByID<LPopupButton>(CMidiDevicesDialog::kOutportPopupID);
      for (std::int16_t item = 1; item <= inputs->GetMenuItemCount(); ++item)
        shown.inputs << inputs->GetMenuItemText(item);
      for (std::int16_t item = 1; item <= outputs->GetMenuItemCount(); ++item)
        shown.outputs << outputs->GetMenuItemText(item);
      shown.input = inputs->GetValue();
      shown.output = outputs->GetValue();
      if (input != 0) inputs->SetValue(input);
      if (output != 0) outputs->SetValue(output);
      dialog->FindPaneByID<LPushButton>(button)->GetButton()->click();
    });
    EXPECT_TRUE(Command(cmd_MidiDevices));
    EXPECT_EQ(answerer.GetAnswerCount(), 1);
    return shown;
  }

  CMidiOperation& Service() const { return *mApp->GetMidiService(); }
  // The built-in device is the only endpoint here: item 2 of both menus.
  static constexpr std::int32_t kBuiltIn = 2;
};

TEST_F(MidiDevicesDialog, ListsNoneAndTheEndpointsWithNothingChosenAtFirst) {
  const SShown shown = RunDialog(0, 0, kCancelButton);
  const QStringList expected{QStringLiteral("None"),
                             QString::fromLatin1(CMidiSystem::kBuiltInDeviceName)};
  EXPECT_EQ(shown.inputs, expected);
  EXPECT_EQ(shown.outputs, expected);
  EXPECT_EQ(shown.input, 1);
  EXPECT_EQ(shown.output, 1);
  EXPECT_FALSE(Service().ValidPort(0, 0));
}

TEST_F(MidiDevicesDialog, OKAppliesTheChoiceAtOnce) {
  RunDialog(kBuiltIn, kBuiltIn, kOKButton);
  EXPECT_TRUE(Service().ValidPort(0, 0));
  const SShown again = RunDialog(1, 0, kOKButton);
  EXPECT_EQ(again.input, kBuiltIn);
  EXPECT_EQ(again.output, kBuiltIn);
  EXPECT_FALSE(Service().ValidInport(0)) << "item 1 is no device";
  EXPECT_TRUE(Service().ValidOutport(0));
}

TEST_F(MidiDevicesDialog, CancelAfterChangingBothChangesNothing) {
  RunDialog(kBuiltIn, 0, kOKButton);
  RunDialog(1, kBuiltIn, kCancelButton);
  EXPECT_TRUE(Service().ValidInport(0));
  EXPECT_FALSE(Service().ValidOutport(0));
}

TEST_F(MidiDevicesDialog, TheChoiceIsKeptInThePreferenceFileForTheNextStart) {
  RunDialog(kBuiltIn, kBuiltIn, kOKButton);
  auto& service = dynamic_cast<COSXMidiService&>(Service());
  const auto source = service.GetInportUniqueID(0);
  const auto destination = service.GetOutportUniqueID(0);
  ASSERT_NE(source, 0);
  QuitEditor();
  const std::string preferences = ReadText(PreferenceFile());
  EXPECT_NE(preferences.find("[MIDI Service Settings]"), std::string::npos) << preferences;
  EXPECT_NE(preferences.find("Source 0 = " + std::to_string(source)), std::string::npos)
      << preferences;
  EXPECT_NE(preferences.find("Destination 0 = " + std::to_string(destination)), std::string::npos)
      << preferences;

  StartEditor();
  EXPECT_TRUE(Service().ValidPort(0, 0));
  const SShown shown = RunDialog(0, 0, kCancelButton);
  EXPECT_EQ(shown.input, kBuiltIn);
  EXPECT_EQ(shown.output, kBuiltIn);
}

// The dialog borrows the application's owning pointer: there is no null to refuse any more.
static_assert(!std::is_constructible_v<CMidiDevicesDialog, std::nullptr_t>);
static_assert(!std::is_constructible_v<CMidiDevicesDialog, CMidiOperation**>);
static_assert(std::is_constructible_v<CMidiDevicesDialog, std::unique_ptr<CMidiOperation>&>);

}  // namespace
}  // namespace kvxtest
