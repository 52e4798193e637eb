// The MIDI devices dialog over the running editor's service: its pop-ups list "None" and the
// endpoints with the chosen one selected and follow ports that come and go, its caption names
// the MIDI system, OK applies the choice at once, Cancel changes nothing, and the choice
// reaches the preference file when the editor quits.
#include "EditorTestSupport.h"
#include "../platform/MidiTestSupport.h"

#include "dialogs/CMidiDevicesDialog.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LPushButton.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"

#include <QPushButton>

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

namespace kvxtest {
namespace {

constexpr PaneIDT kOKButton = 1;
constexpr PaneIDT kCancelButton = 2;

const QString kNoSystemLine = QStringLiteral(
    "No MIDI system: only the built-in virtual device is available; start JACK or load the "
    "ALSA sequencer to reach a real KVX.");

// What the dialog shows.
struct SShown {
  QStringList inputs;
  QStringList outputs;
  std::int32_t input = 0;
  std::int32_t output = 0;
  QString system;

  QString InputText() const { return inputs.value(input - 1); }
  QString OutputText() const { return outputs.value(output - 1); }
};

QStringList Items(const LPopupButton& popup) {
  QStringList items;
  for (std::int16_t item = 1; item <= popup.GetMenuItemCount(); ++item)
    items << popup.GetMenuItemText(item);
  return items;
}

SShown Read(LDialogBox& dialog) {
  auto* inputs = dialog.FindPaneByID<LPopupButton>(CMidiDevicesDialog::kInportPopupID);
  auto* outputs = dialog.FindPaneByID<LPopupButton>(CMidiDevicesDialog::kOutportPopupID);
  return {Items(*inputs), Items(*outputs), inputs->GetValue(), outputs->GetValue(),
          dialog.FindPaneByID(CMidiDevicesDialog::kSystemCaptionID)->GetDescriptorText()};
}

class MidiDevicesDialog : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartEditor();
  }

  // Runs the dialog through the 'Mdev' command, choosing `input` and `output` (0: leave them),
  // then doing `whileOpen` and pressing `button`. Returns what it showed when it came up.
  SShown RunDialog(std::int32_t input, std::int32_t output, PaneIDT button,
                   const std::function<void(LDialogBox&)>& whileOpen = {}) {
    SShown shown;
    CModalAnswerer answerer([&](QWidget& widget) {
      auto* dialog = dynamic_cast<LDialogBox*>(&widget);
      if (dialog == nullptr) return;
      shown = Read(*dialog);
      if (input != 0)
        dialog->FindPaneByID<LPopupButton>(CMidiDevicesDialog::kInportPopupID)->SetValue(input);
      if (output != 0)
        dialog->FindPaneByID<LPopupButton>(CMidiDevicesDialog::kOutportPopupID)->SetValue(output);
      if (whileOpen) whileOpen(*dialog);
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
  EXPECT_EQ(shown.system, kNoSystemLine);
  EXPECT_FALSE(Service().ValidPort(0, 0));
}

TEST_F(MidiDevicesDialog, NamesTheMidiSystemInUse) {
  struct SRow {
    const char* name;
    QString line;
  };
  const SRow rows[] = {{"ALSA", QStringLiteral("MIDI system: ALSA sequencer.")},
                       {"JACK", QStringLiteral("MIDI system: JACK server.")},
                       {"", kNoSystemLine}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<CMidiOperation> unused;
    CMidiDevicesDialog devices(unused, row.name);
    QString line;
    CModalAnswerer answerer([&](QWidget& widget) {
      auto* dialog = dynamic_cast<LDialogBox*>(&widget);
      if (dialog == nullptr) return;
      line = Read(*dialog).system;
      dialog->FindPaneByID<LPushButton>(kCancelButton)->GetButton()->click();
    });
    EXPECT_FALSE(devices.OpenDialog(mApp.get()));
    EXPECT_EQ(line, row.line);
  }
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

// A MIDI system whose ports the test plugs in and removes while the dialog is up.
class MidiDevicesDialogOverAChangingSystem : public MidiDevicesDialog {
 protected:
  void SetUp() override {
    SetEndpoints({kDevA, kDevB}, {kDevA, kDevB});
    mMidiSystemSource = [this] {
      CMidiSystem::Options options;
      options.system = EMidiSystemChoice::None;
      options.additionalBackEnd = [script = mScript] {
        return std::make_unique<CScriptedBackEnd>(script);
      };
      auto system = std::make_unique<CMidiSystem>(std::move(options));
      mSystem = system.get();
      return system;
    };
    MidiDevicesDialog::SetUp();
  }

  // The system sees the new endpoints at once, as at its next poll.
  void SetEndpoints(std::vector<SMidiEndpointInfo> sources,
                    std::vector<SMidiEndpointInfo> destinations) {
    {
      std::lock_guard lock(mScript->mutex);
      mScript->sources = std::move(sources);
      mScript->destinations = std::move(destinations);
    }
    if (mSystem != nullptr) mSystem->CheckSetup();
  }

  static QStringList Sorted(QStringList items) {
    items.sort();
    return items;
  }

  inline static const SMidiEndpointInfo kDevA{"a", "Dev A:Dev A 128:0"};
  inline static const SMidiEndpointInfo kDevB{"b", "Dev B:Dev B 129:0"};
  inline static const SMidiEndpointInfo kDevC{"c", "Dev C:Dev C 130:0"};
  std::shared_ptr<SScript> mScript = std::make_shared<SScript>();
  CMidiSystem* mSystem = nullptr;  // the application's
};

TEST_F(MidiDevicesDialogOverAChangingSystem, FollowsPortsThatComeAndGoKeepingTheChoice) {
  const QString devB = QStringLiteral("Dev B");
  std::vector<SShown> steps;
  const SShown first = RunDialog(3, 3, kOKButton, [&](LDialogBox& dialog) {
    SetEndpoints({kDevC, kDevA, kDevB}, {kDevA, kDevB});  // Dev C plugged in
    steps.push_back(Read(dialog));
    SetEndpoints({kDevC, kDevB}, {kDevA});  // Dev A's source and Dev B's destination gone
    steps.push_back(Read(dialog));
  });
  ASSERT_EQ(first.inputs, (QStringList{"None", "Dev A", devB}));
  ASSERT_EQ(steps.size(), 2U);
  EXPECT_EQ(Sorted(steps[0].inputs), (QStringList{"Dev A", devB, "Dev C", "None"}));
  EXPECT_EQ(steps[0].InputText(), devB);
  EXPECT_EQ(steps[0].OutputText(), devB);
  EXPECT_EQ(Sorted(steps[1].inputs), (QStringList{devB, "Dev C", "None"}));
  EXPECT_EQ(steps[1].outputs, (QStringList{"None", "Dev A"}));
  EXPECT_EQ(steps[1].InputText(), devB);
  EXPECT_EQ(steps[1].output, 1) << "the chosen destination went away";

  // OK handed over the items as the pop-ups showed them last.
  const SShown again = RunDialog(0, 0, kCancelButton);
  EXPECT_EQ(again.InputText(), devB);
  EXPECT_EQ(again.output, 1);
  EXPECT_TRUE(Service().ValidInport(0));
  EXPECT_FALSE(Service().ValidOutport(0));
}

// The dialog borrows the application's owning pointer: there is no null to refuse any more.
static_assert(!std::is_constructible_v<CMidiDevicesDialog, std::nullptr_t>);
static_assert(!std::is_constructible_v<CMidiDevicesDialog, CMidiOperation**>);
static_assert(std::is_constructible_v<CMidiDevicesDialog, std::unique_ptr<CMidiOperation>&>);

}  // namespace
}  // namespace kvxtest
