// Send with Verify and the distinct-controller retrieval, against the device model itself: the
// rig hands every message sent to a CKVXDevice and plays what it answers into input port 0.
#include "transfer/TransferTestSupport.h"

#include "device/CKVXDevice.h"
#include "utilities/UAlert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

namespace kvxtransfer {
namespace {

// A transfer rig with a device on the other end of the fake service; `answers` false leaves it
// deaf (a device that is not there).
struct CDeviceRig : CTransferRig {
  explicit CDeviceRig(const CKVXDevice::SFaults& faults = {}, bool answers = true) {
    device.SetFaults(faults);
    onTurn = [this, answers](CScriptedDialogHost::SDialogRecord& dialog) {
      if (answers) Exchange();
      if (onDialogTurn) onDialogTurn(dialog);
    };
    for (long index = 0; index < kControllerCount; ++index)
      *patch.GetParam(index) = KnownRecord(index);
  }

  // The device takes what was sent since the last turn and answers what is due.
  void Exchange() {
    const auto& sent = service.Sent();
    for (; mHeard < sent.size(); ++mHeard) device.ReceiveMidi(sent[mHeard].bytes, Now());
    std::vector<std::uint8_t> out;
    while (device.TakeDueMessage(Now(), out)) {
      StMidiInDelivery delivery(0);
      if (CMidiInQueue* queue = delivery.GetQueue()) queue->InsertPacket(out.data(), out.size(), 0);
    }
  }

  // The device starts with the records the patch holds (otherwise it starts empty).
  void FillDevice() {
    for (long index = 0; index < kControllerCount; ++index)
      *device.GetMemory().GetParam(index) = KnownRecord(index);
  }

  bool DeviceHoldsThePatch() const {
    for (long index = 0; index < kControllerCount; ++index)
      if (!kvxtest::SameRecord(*device.GetMemory().GetParam(index), KnownRecord(index)))
        return false;
    return true;
  }

  CKVXDevice device;
  CPatch patch;
  std::function<void(CScriptedDialogHost::SDialogRecord&)> onDialogTurn;

 private:
  std::size_t mHeard = 0;
};

std::size_t CountOf(const std::vector<Bytes>& sent, const unsigned char* request) {
  return static_cast<std::size_t>(std::count(sent.begin(), sent.end(),
                                             Bytes(request, request + kBulkRequestSize)));
}

struct SVerifyRow {
  const char* name;
  CKVXDevice::SFaults faults;
  bool answers;
  CPatch::ETransmitOutcome outcome;
  int sends;
  std::vector<long> differing;
  bool deviceHoldsPatch;
};

TEST(SendWithVerify, SendsAgainWhileTheDeviceHoldsSomethingElse) {
  using EOutcome = CPatch::ETransmitOutcome;
  const std::vector<long> all = [] {
    std::vector<long> rows;
    for (long row = 0; row < kControllerCount; ++row) rows.push_back(row);
    return rows;
  }();
  const SVerifyRow rows[] = {
      {"nothing lost", {}, true, EOutcome::Verified, 1, {}, true},
      {"one dump lost on the way once", {.loseReceived = 7}, true, EOutcome::Verified, 2, {}, true},
      {"the device sends one back damaged", {.corruptDump = 3}, true, EOutcome::VerifyFailed, 3,
       {3}, true},
      {"the device leaves one out", {.dropDump = 12}, true, EOutcome::VerifyFailed, 3, {12}, true},
      {"no device answers", {}, false, EOutcome::VerifyFailed, 3, all, false},
  };
  for (const SVerifyRow& row : rows) {
    SCOPED_TRACE(row.name);
    CDeviceRig rig(row.faults, row.answers);
    rig.MakeCurrent();
    rig.host.Script(kConfirmDialog, {msg_OK});
    rig.patch.BulkTrReRequest(1);
    const CPatch::STransmitReport report = rig.patch.TransmitPatch(nullptr, true);

    EXPECT_EQ(report.outcome, row.outcome);
    EXPECT_EQ(report.sends, row.sends);
    EXPECT_EQ(report.differing, row.differing);
    EXPECT_EQ(report.answered, row.answers);
    EXPECT_EQ(rig.DeviceHoldsThePatch(), row.deviceHoldsPatch);
    const std::vector<Bytes> sent = rig.service.SentBytes();
    EXPECT_EQ(CountOf(sent, kBulkReceiveRequest), static_cast<std::size_t>(row.sends));
    EXPECT_EQ(CountOf(sent, kBulkTransRequest), static_cast<std::size_t>(row.sends));
    EXPECT_EQ(sent.size(), static_cast<std::size_t>(row.sends) * 52u);
    EXPECT_TRUE(rig.AllDialogsClosed());
    EXPECT_TRUE(rig.alerts.Alerts().empty());
  }
}

TEST(SendWithVerify, CancelWhileReadingBackEndsAsCancelled) {
  CDeviceRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_OK});
  rig.onDialogTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    // The read-back has begun once the device was asked to transmit.
    if (dialog.layoutID == kProgressDialog &&
        CountOf(rig.service.SentBytes(), kBulkTransRequest) == 1)
      rig.host.Script(kProgressDialog, {msg_Cancel});
  };
  rig.host.Script(kCancelledDialog, {msg_OK});
  const CPatch::STransmitReport report = rig.patch.TransmitPatch(nullptr, true);
  EXPECT_EQ(report.outcome, CPatch::ETransmitOutcome::Cancelled);
  EXPECT_EQ(report.sends, 1);
  EXPECT_EQ(rig.DialogIDs(), (std::vector<ResIDT>{kConfirmDialog, kProgressDialog,
                                                  kCancelledDialog}));
}

TEST(SendWithVerify, TheReportNamesTheOutcomeAndTheDropouts) {
  using EOutcome = CPatch::ETransmitOutcome;
  struct SRow {
    const char* name;
    CPatch::STransmitReport report;
    std::vector<std::string> holds;  // empty: no text at all
  };
  const SRow rows[] = {
      {"plain send", {EOutcome::Sent, 1, 50, {}, false, 0}, {}},
      {"verified", {EOutcome::Verified, 1, 50, {}, true, 0}, {"Sent and verified."}},
      {"still differs", {EOutcome::VerifyFailed, 3, 50, {2, 9}, true, 0},
       {"sent 3 times", "R3, S1"}},
      {"no answer", {EOutcome::VerifyFailed, 3, 50, {}, false, 0}, {"did not send its patch back"}},
      {"plain send with dropouts", {EOutcome::Sent, 1, 50, {}, false, 2},
       {"reported 2 dropouts during sending"}},
      {"one dropout", {EOutcome::Verified, 1, 50, {}, true, 1},
       {"Sent and verified.", "reported 1 dropout during"}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string text = CPatch::DescribeTransmit(row.report);
    EXPECT_EQ(text.empty(), row.holds.empty()) << text;
    for (const std::string& piece : row.holds)
      EXPECT_NE(text.find(piece), std::string::npos) << text;
  }
}

TEST(SendWithVerify, DropoutsDuringTheSendAreCounted) {
  CDeviceRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_OK});
  rig.service.dropouts = 5;  // before the send: not counted
  rig.onDialogTurn = [&](CScriptedDialogHost::SDialogRecord&) {
    if (rig.service.Sent().size() == 20) rig.service.dropouts = 7;
  };
  const CPatch::STransmitReport report = rig.patch.TransmitPatch(nullptr, false);
  EXPECT_EQ(report.outcome, CPatch::ETransmitOutcome::Sent);
  EXPECT_EQ(report.dropouts, 2u);
}

// --- retrievals that do not complete

// The progress dialog has just shown Request Again (pane 6) since the test last looked.
bool OffersTheStallChoice(const CScriptedDialogHost::SDialogRecord& dialog) {
  const auto& shown = dialog.shownPanes;
  return dialog.layoutID == kProgressDialog &&
         std::find(shown.begin(), shown.end(), std::make_pair(PaneIDT{6}, true)) != shown.end();
}

struct SStallRow {
  const char* name;
  CKVXDevice::SFaults faults;
  MessageT answerWhenStalled;  // msg_Nothing: no stall expected
  CPatch::ERetrieveOutcome outcome;
  std::vector<long> missing;
};

TEST(RetrieveFromTheDevice, AStalledRetrievalNamesTheMissingAndOffersAChoice) {
  using EOutcome = CPatch::ERetrieveOutcome;
  const SStallRow rows[] = {
      {"every controller", {}, msg_Nothing, EOutcome::Complete, {}},
      {"one sent twice, the next never", {.repeatDump = 4}, msg_KeepWhatArrived, EOutcome::Kept,
       {5}},
      {"one left out, kept", {.dropDump = 2}, msg_KeepWhatArrived, EOutcome::Kept, {2}},
      {"one left out, cancelled", {.dropDump = 2}, msg_Cancel, EOutcome::Cancelled, {2}},
      {"one damaged", {.corruptDump = 49}, msg_KeepWhatArrived, EOutcome::Kept, {49}},
  };
  for (const SStallRow& row : rows) {
    SCOPED_TRACE(row.name);
    CDeviceRig rig(row.faults);
    rig.FillDevice();
    rig.MakeCurrent();
    std::vector<std::string> notes;
    rig.onDialogTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
      if (OffersTheStallChoice(dialog)) {
        notes.push_back(dialog.captions.back().second);
        dialog.shownPanes.clear();
        rig.host.Script(kProgressDialog, {row.answerWhenStalled});
      }
    };
    rig.patch.BulkTrReRequest(0);
    EXPECT_EQ(rig.patch.Retreive(nullptr), row.outcome);
    EXPECT_EQ(rig.patch.GetMissingControllers(), row.missing);
    EXPECT_EQ(rig.patch.GetReceivedCount(), 50 - row.missing.size());
    ASSERT_EQ(notes.size(), row.answerWhenStalled == msg_Nothing ? 0u : 1u);
    if (!notes.empty()) {
      EXPECT_NE(notes[0].find(": " + CPatch::DescribeControllers(row.missing) + "."),
                std::string::npos)
          << notes[0];
    }
  }
}

TEST(RetrieveFromTheDevice, RequestAgainAsksOnceMoreAndLaterCopiesComplete) {
  // The device leaves out a controller only the first time it sends.
  CDeviceRig rig({.dropDump = 20});
  rig.FillDevice();
  rig.MakeCurrent();
  int stalls = 0;
  rig.onDialogTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (OffersTheStallChoice(dialog)) {
      ++stalls;
      dialog.shownPanes.clear();
      rig.device.SetFaults({});
      rig.host.Script(kProgressDialog, {msg_RequestAgain});
    }
  };
  rig.patch.BulkTrReRequest(0);
  EXPECT_EQ(rig.patch.Retreive(nullptr), CPatch::ERetrieveOutcome::Complete);
  EXPECT_EQ(stalls, 1);
  EXPECT_EQ(CountOf(rig.service.SentBytes(), kBulkTransRequest), 2u);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(kvxtest::SameRecord(*rig.patch.GetParam(index), KnownRecord(index))) << index;
}

}  // namespace
}  // namespace kvxtransfer
