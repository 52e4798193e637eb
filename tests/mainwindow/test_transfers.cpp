// Send and Request from the main window: the confirmations, the MIDI checks, and whole
// transfers through the GUI's dialogs with the built-in virtual device.
#include "MainWindowTestSupport.h"

#include "device/CKVXDevice.h"
#include "document/CPatchHistory.h"
#include "framework/core/LString.h"
#include "framework/core/StDialogHandler.h"
#include "framework/core/TickCount.h"
#include "framework/ui/LCheckBox.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/UPeriodicals.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"
#include "support/RecordingAlertPresenter.h"
#include "support/StFastTicks.h"
#include "utilities/UPreference.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using kvxtest::Assign;
using kvxtest::MainWindowTest;
using kvxtest::SameBytes;
using kvxtest::StoredRecord;

// The MIDI set-up of the editor with only the built-in KVX device, made current, its ports
// chosen for input port 0 (when asked) and output port 0.
class StBuiltInDevice {
 public:
  explicit StBuiltInDevice(bool chooseInput = true, CKVXDevice::SFaults faults = {}) {
    const unsigned char identifier[] = "\x0AKVX Editor";
    CMidiOperation::Initialize(kKVXEditorSignature, identifier, 1, 1);
    CMidiSystem::Options options;
    options.system = EMidiSystemChoice::None;
    options.builtInDevice = [this, faults] {
      auto device = std::make_unique<CKVXDevice>();
      device->SetFaults(faults);
      // runs on the device's thread
      device->SetReportHandler([this](const CKVXDevice::SReport& report) {
        if (report.event != CKVXDevice::EEvent::ReceiveFinished) return;
        mRejected = report.rejected;
        mStored = report.stored;
      });
      return device;
    };
    mSystem = std::make_unique<CMidiSystem>(std::move(options));
    mService = std::make_unique<COSXMidiService>(*mSystem, COSXMidiService::kDefaultSysxSlotCount);
    CMidiOperation::SetCurrent(mService.get());
    using EMatch = COSXMidiService::EEndpointMatch;
    if (chooseInput &&
        mService->SelectInportEndpoint(0, CMidiSystem::kBuiltInDeviceName) != EMatch::Found)
      throw std::runtime_error("no built-in device to receive from");
    if (mService->SelectOutportEndpoint(0, CMidiSystem::kBuiltInDeviceName) != EMatch::Found)
      throw std::runtime_error("no built-in device to send to");
  }
  ~StBuiltInDevice() {
    CMidiOperation::SetCurrent(nullptr);
    mService.reset();
    CMidiOperation::Uninitialize();
    mSystem.reset();
  }
  StBuiltInDevice(const StBuiltInDevice&) = delete;
  StBuiltInDevice& operator=(const StBuiltInDevice&) = delete;

  // Waits (a bounded time) until the device has taken a whole patch; how many of its dumps
  // it stored, or -1 when it took none.
  int WaitForReceivedPatch() const {
    for (int turn = 0; turn < 2000 && mStored < 0; ++turn) QTest::qWait(5);
    return mStored;
  }
  int RejectedDumps() const { return mRejected; }

 private:
  kvxtest::StFastTicks mTicks;
  std::atomic<int> mStored{-1};
  std::atomic<int> mRejected{0};
  std::unique_ptr<CMidiSystem> mSystem;
  std::unique_ptr<COSXMidiService> mService;
};

// The user of the GUI's dialogs: watches for the modal dialogs the transfers open, notes
// each one, and presses its OK button (or, for the dialogs named, Cancel).
class CDialogUser final {
 public:
  struct SSeen {
    std::string title;
    bool hasOK;
    bool warnsOfUnsavedChanges;
  };

  explicit CDialogUser(std::set<std::string> cancelTitles = {})
      : mCancelTitles(std::move(cancelTitles)) {
    QObject::connect(&mTimer, &QTimer::timeout, [this] { Look(); });
    mTimer.start(5);
  }

  std::vector<SSeen> seen;
  // Looks at each dialog before its button is pressed.
  std::function<void(LDialogBox&)> inspect;

 private:
  void Look() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = dynamic_cast<LDialogBox*>(widget);
      if (dialog == nullptr || !dialog->isVisible() || WasHandled(dialog)) continue;
      mHandled.emplace_back(dialog);
      LPane* warning = dialog->FindPaneByID(CMainWindow::kUnsavedChangesPane);
      const std::string title = dialog->windowTitle().toStdString();
      seen.push_back({title, dialog->GetDefaultButton() != nullptr,
                      warning != nullptr && warning->isVisible()});
      if (inspect) inspect(*dialog);
      LPushButton* button =
          mCancelTitles.count(title) != 0 ? dialog->GetCancelButton() : dialog->GetDefaultButton();
      if (button != nullptr) button->GetButton()->click();
    }
  }

  // A dialog may come at the address of one that has gone: only living ones count.
  bool WasHandled(const LDialogBox* dialog) const {
    return std::any_of(mHandled.begin(), mHandled.end(),
                       [dialog](const QPointer<LDialogBox>& handled) { return handled == dialog; });
  }

  std::set<std::string> mCancelTitles;
  std::vector<QPointer<LDialogBox>> mHandled;
  QTimer mTimer;
};

std::vector<std::string> TitlesOf(const std::vector<CDialogUser::SSeen>& seen) {
  std::vector<std::string> titles;
  for (const auto& dialog : seen) titles.push_back(dialog.title);
  return titles;
}

// A varied patch: every controller assigned, with names that do not travel to the device.
void FillPatch(CPatch& patch) {
  const std::uint8_t types[] = {msgType_Note,  msgType_CC,  msgType_FixedBankPC, msgType_RPN,
                                msgType_Tempo, msgType_PAf, msgType_NRPN,        msgType_Enc};
  for (long index = 0; index < kControllerCount; ++index) {
    const auto i = static_cast<std::uint8_t>(index);
    Assign(patch, index,
           StoredRecord(types[index % 8], i % 16, i % 3, {i, static_cast<std::uint8_t>(127 - i), 5},
                        ("Control " + std::to_string(index)).c_str()));
  }
  patch.SetPatchTitle(LStr255("Round trip"));
}

class MainWindowTransferTest : public MainWindowTest {
 protected:
  LQtDialogHost host;
  StDialogHost installedHost{&host};
  CRecordingAlertPresenter alerts;
  StAlertPresenter installedAlerts{&alerts};
};

TEST_F(MainWindowTransferTest, APatchSentToTheDeviceComesBackByteForByte) {
  StBuiltInDevice device;
  FillPatch(patch);
  std::vector<SPatchParam> sent(kControllerCount);
  for (long index = 0; index < kControllerCount; ++index) patch.GetParam(index, sent[index]);

  CDialogUser user;
  window->ObeyCommand(cmd_SendPatch, nullptr);
  EXPECT_EQ(TitlesOf(user.seen),
            (std::vector<std::string>{"Send Patch", "Send Patch", "Transferring"}));
  EXPECT_TRUE(alerts.Alerts().empty());
  EXPECT_EQ(device.WaitForReceivedPatch(), kControllerCount);
  EXPECT_EQ(device.RejectedDumps(), 0);

  window->ObeyCommand(cmd_RequestPatch, nullptr);
  ASSERT_EQ(TitlesOf(user.seen),
            (std::vector<std::string>{"Send Patch", "Send Patch", "Transferring", "Request Patch",
                                      "Request Patch", "Transferring"}));
  EXPECT_TRUE(user.seen[3].warnsOfUnsavedChanges) << "the patch had unsaved changes";
  EXPECT_TRUE(alerts.Alerts().empty());
  EXPECT_EQ(patch.GetReceivedCount(), kControllerCount);
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    SPatchParam expected = sent[index];
    std::memset(expected.name, 0, sizeof expected.name);  // names stay in the editor
    EXPECT_TRUE(SameBytes(*patch.GetParam(index), expected));
  }
  EXPECT_EQ(window->GetTitleField()->GetText(), QString()) << "the device keeps no title";
  EXPECT_FALSE(window->IsBusy());
}

// The send confirmation's Verify box: on by default with an input port, as last chosen
// otherwise, disabled with its reason without one; the choice is remembered.
TEST_F(MainWindowTransferTest, TheVerifyBoxFollowsTheInputPortAndTheStoredChoice) {
  struct SRow {
    const char* name;
    bool chooseInput;
    const char* stored;  // the preference text before
    bool checked;
    bool enabled;
    const char* status;
  };
  const SRow rows[] = {
      {"input, nothing stored", true, "", true, true, "Sent and verified."},
      {"input, stored off", true, "Verify After Sending = 0\r\n", false, true, ""},
      {"input, stored on", true, "Verify After Sending = 1\r\n", true, true, "Sent and verified."},
      {"no input", false, "Verify After Sending = 1\r\n", false, false, ""},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StBuiltInDevice device(row.chooseInput);
    UPreference::CleanUp();
    const std::string text = std::string("[General Settings]\r\n") + row.stored;
    ASSERT_TRUE(UPreference::Insert(0, text.data(), static_cast<std::int32_t>(text.size())));
    FillPatch(patch);
    struct SBox {
      bool checked = false, enabled = false, reasonShown = false;
    } box;
    CDialogUser user;
    user.inspect = [&](LDialogBox& dialog) {
      // The progress dialog has a pane of that number too: a button.
      auto* check = dynamic_cast<LCheckBox*>(dialog.FindPaneByID(CMainWindow::kVerifyBoxPane));
      if (check == nullptr) return;
      box = {check->GetValue() != 0, check->IsEnabled(),
             dialog.FindPaneByID(CMainWindow::kVerifyReasonPane)->isVisible()};
    };
    window->ObeyCommand(cmd_SendPatch, nullptr);

    EXPECT_EQ(box.checked, row.checked);
    EXPECT_EQ(box.enabled, row.enabled);
    EXPECT_EQ(box.reasonShown, !row.enabled);
    EXPECT_EQ(window->GetStatusText().toStdString(), row.status);
    EXPECT_TRUE(alerts.Alerts().empty());
    ASSERT_TRUE(UPreference::SeekTag(LStr255("General Settings"), false));
    EXPECT_EQ(UPreference::GetParamValue(LStr255("Verify After Sending"), -1),
              row.enabled ? row.checked : 1) << "a disabled box leaves the choice alone";
    UPreference::CleanUp();
  }
}

TEST_F(MainWindowTransferTest, CancelledConfirmationsChangeNothingOnEitherSide) {
  StBuiltInDevice device;
  FillPatch(patch);
  CPatch saved;
  ASSERT_EQ(saved.LoadSMFData(patch.MakeSMFData()), 0);
  ASSERT_EQ(patch.LoadSMFData(saved.MakeSMFData()), 0);  // unmodified, with records
  const std::vector<std::uint8_t> before = patch.MakeSMFData();

  {
    CDialogUser user({"Send Patch", "Request Patch"});
    window->ObeyCommand(cmd_SendPatch, nullptr);
    window->ObeyCommand(cmd_RequestPatch, nullptr);
    ASSERT_EQ(TitlesOf(user.seen), (std::vector<std::string>{"Send Patch", "Request Patch"}));
    EXPECT_FALSE(user.seen[1].warnsOfUnsavedChanges) << "nothing unsaved to warn of";
    EXPECT_EQ(patch.MakeSMFData(), before);
    EXPECT_FALSE(patch.IsModified());
  }
  // The device got nothing: what it sends back is its empty memory.
  CDialogUser user;
  window->ObeyCommand(cmd_RequestPatch, nullptr);
  EXPECT_EQ(patch.GetReceivedCount(), kControllerCount);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_EQ(patch.GetAssignMessage(index), 0) << index;
}

// A dialog host that records its dialogs and answers Cancel; on each turn it tries a drop
// and notes whether the window was busy.
class CScriptedDialogHost final : public LDialogHost {
 public:
  explicit CScriptedDialogHost(CMainWindow& window) : mWindow(window) {}
  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander*) override {
    opened.push_back(layoutID);
    return std::make_unique<CView>(*this);
  }

  std::vector<ResIDT> opened;
  std::vector<bool> dropsTaken;
  std::vector<bool> busy;

 private:
  class CView final : public LDialogView {
   public:
    explicit CView(CScriptedDialogHost& host) : mHost(host) {}
    void Show() override {}
    void ProgressChanged(PaneIDT, const SProgressState&) override {}
    MessageT ProcessEvents() override {
      mHost.busy.push_back(mHost.mWindow.IsBusy());
      mHost.dropsTaken.push_back(kvxtest::DropFiles(mHost.mWindow, {"/tmp/a.mid"}));
      return msg_Cancel;
    }

   private:
    CScriptedDialogHost& mHost;
  };
  CMainWindow& mWindow;
};

// Answers each dialog by its layout: OK unless listed, Cancel for those listed.
class CAnsweringDialogHost final : public LDialogHost {
 public:
  explicit CAnsweringDialogHost(std::set<ResIDT> cancelled) : mCancelled(std::move(cancelled)) {}
  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander*) override {
    return std::make_unique<CView>(mCancelled.count(layoutID) != 0 ? msg_Cancel : msg_OK);
  }

 private:
  class CView final : public LDialogView {
   public:
    explicit CView(MessageT answer) : mAnswer(answer) {}
    void Show() override {}
    void ProgressChanged(PaneIDT, const SProgressState&) override {}
    MessageT ProcessEvents() override { return mAnswer; }

   private:
    MessageT mAnswer;
  };
  std::set<ResIDT> mCancelled;
};

// Answers the progress dialog with `answer` once a stalled retrieval offers its choice.
class CStallAnsweringHost final : public LDialogHost {
 public:
  explicit CStallAnsweringHost(MessageT answer) : mAnswer(answer) {}
  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander*) override {
    return std::make_unique<CView>(layoutID == kProgressDialog ? msg_Nothing : msg_OK, mAnswer);
  }

 private:
  class CView final : public LDialogView {
   public:
    CView(MessageT answer, MessageT stallAnswer) : mAnswer(answer), mStallAnswer(stallAnswer) {}
    void Show() override {}
    void ProgressChanged(PaneIDT, const SProgressState&) override {}
    void PaneShown(PaneIDT, bool shown) override {
      if (shown) mAnswer = mStallAnswer;
    }
    MessageT ProcessEvents() override {
      QTest::qWait(1);  // the device's thread sends meanwhile
      return mAnswer;
    }

   private:
    MessageT mAnswer;
    MessageT mStallAnswer;
  };
  MessageT mAnswer;
};

// A request that does not complete: Keep What Arrived keeps what came (modified, undoable);
// Cancel puts the patch back as it was, and Redo brings what came.
TEST_F(MainWindowTransferTest, AnIncompleteRequestIsKeptOrPutBack) {
  struct SRow {
    const char* name;
    MessageT stallAnswer;
    const char* status;
    bool keeps;
  };
  const SRow rows[] = {
      {"kept", msg_KeepWhatArrived, "incomplete: ", true},
      {"cancelled", msg_Cancel, "cancelled", false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StBuiltInDevice device(true, {.dropDump = 2});
    FillPatch(patch);
    ASSERT_EQ(patch.LoadSMFData(patch.MakeSMFData()), 0);  // as if opened: unmodified
    patch.GetHistory().Reset();
    const std::vector<std::uint8_t> before = patch.MakeSMFData();
    CStallAnsweringHost answering(row.stallAnswer);
    StDialogHost installed(&answering);
    window->ObeyCommand(cmd_RequestPatch, nullptr);

    // A loaded machine may stall the device before the 49th dump: the count is what came.
    const std::string counted = std::to_string(patch.GetReceivedCount()) + " of 50";
    EXPECT_TRUE(window->GetStatusText().contains(QString::fromUtf8(row.status)))
        << window->GetStatusText().toStdString();
    EXPECT_EQ(window->GetStatusText().contains(QString::fromStdString(counted)), row.keeps)
        << window->GetStatusText().toStdString();
    EXPECT_EQ(patch.MakeSMFData() == before, !row.keeps);
    EXPECT_EQ(patch.IsModified(), row.keeps);
    CPatchHistory& history = patch.GetHistory();
    ASSERT_EQ(row.keeps ? history.GetUndoName() : history.GetRedoName(), "Request from KVX");
    ASSERT_TRUE(row.keeps ? history.Undo() : history.Redo());
    EXPECT_EQ(patch.MakeSMFData() == before, row.keeps);
    EXPECT_EQ(patch.IsModified(), !row.keeps);
  }
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  EXPECT_TRUE(window->GetStatusText().isEmpty()) << "the next command clears the notice";
}

TEST_F(MainWindowTransferTest, WithoutAUsableMidiServiceBothCommandsAlertBeforeAnyDialog) {
  FillPatch(patch);
  CScriptedDialogHost scripted(*window);
  StDialogHost installed(&scripted);
  for (CommandT command : {cmd_SendPatch, cmd_RequestPatch}) {
    window->ObeyCommand(command, nullptr);
  }
  EXPECT_EQ(alerts.ErrorIndices(), (std::vector<int>{err_MidiUnavailable, err_MidiUnavailable}));
  EXPECT_TRUE(scripted.opened.empty());
  EXPECT_EQ(patch.GetAssignMessage(0), msgType_Note) << "the patch is not emptied";
}

TEST_F(MainWindowTransferTest, RequestAlsoNeedsTheInputPort) {
  StBuiltInDevice device(false);
  CScriptedDialogHost scripted(*window);
  StDialogHost installed(&scripted);
  window->ObeyCommand(cmd_RequestPatch, nullptr);
  EXPECT_EQ(alerts.ErrorIndices(), std::vector<int>{err_MidiUnavailable});
  EXPECT_TRUE(scripted.opened.empty());
  window->ObeyCommand(cmd_SendPatch, nullptr);
  EXPECT_EQ(scripted.opened, std::vector<ResIDT>{kConfirmSendDialog});
}

TEST_F(MainWindowTransferTest, DropsAreRefusedWhileATransferDialogRuns) {
  StBuiltInDevice device;
  CScriptedDialogHost scripted(*window);
  StDialogHost installed(&scripted);
  window->ObeyCommand(cmd_SendPatch, nullptr);
  EXPECT_EQ(scripted.busy, std::vector<bool>{true});
  EXPECT_EQ(scripted.dropsTaken, std::vector<bool>{false});
  EXPECT_FALSE(window->IsBusy()) << "the command is over";
  UPeriodicals::DevoteTime();
  EXPECT_TRUE(root.droppedFiles.empty());
}

}  // namespace
