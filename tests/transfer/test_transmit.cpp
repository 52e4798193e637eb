// Sending a patch to the device: the requests, the confirmation, the 50 paced dumps with their
// progress, Cancel between two dumps, and what the user is told when the port cannot be used
// or a send fails on the way.
#include "transfer/TransferTestSupport.h"

#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvxtransfer {
namespace {

// A rig with a patch of known records to send.
struct CTransmitRig : CTransferRig {
  CTransmitRig() {
    for (long index = 0; index < kControllerCount; ++index)
      *patch.GetParam(index) = KnownRecord(index);
  }
  CPatch patch;
};

std::vector<Bytes> KnownDumps(std::size_t count) {
  std::vector<Bytes> dumps;
  for (long index = 0; index < static_cast<long>(count); ++index) dumps.push_back(KnownDump(index));
  return dumps;
}

TEST(Transmit, SendsTheFiftyDumpsInControllerOrderAtLeastFourTicksApart) {
  CTransmitRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_Nothing, msg_OK});
  rig.patch.Transmit(nullptr);

  EXPECT_EQ(rig.service.SentBytes(), KnownDumps(50));
  const auto& sent = rig.service.Sent();
  ASSERT_EQ(sent.size(), 50u);
  for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
    SCOPED_TRACE("after dump " + std::to_string(i));
    EXPECT_EQ(sent[i].outport, 0);
    EXPECT_GE(sent[i + 1].tick - sent[i].tick, 4u);
    // The dialog gets every tick of the gap, so the pace is the device's and no slower.
    EXPECT_LE(sent[i + 1].tick - sent[i].tick, 5u);
  }
  EXPECT_TRUE(rig.alerts.Alerts().empty());
  EXPECT_EQ(rig.DialogIDs(), (std::vector<ResIDT>{kConfirmDialog, kProgressDialog}));
  EXPECT_TRUE(rig.AllDialogsClosed());
}

TEST(Transmit, TheProgressBarShowsTheIndexOfTheDumpJustSent) {
  CTransmitRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_OK});
  std::vector<std::pair<std::size_t, std::int32_t>> sentAndShown;  // at each turn of 3004
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (dialog.layoutID == kProgressDialog && !dialog.progress.empty())
      sentAndShown.emplace_back(rig.service.Sent().size(), dialog.progress.back().second.value);
  };
  rig.patch.Transmit(nullptr);

  const auto* progress = rig.FindDialog(kProgressDialog);
  ASSERT_NE(progress, nullptr);
  std::vector<std::int32_t> values;
  for (const auto& [pane, state] : progress->progress) {
    EXPECT_EQ(pane, 3);
    EXPECT_FALSE(state.indeterminate);
    EXPECT_EQ(state.minValue, 0);
    EXPECT_EQ(state.maxValue, 50);
    values.push_back(state.value);
  }
  std::vector<std::int32_t> expected;
  for (std::int32_t value = 0; value < 50; ++value) expected.push_back(value);
  EXPECT_EQ(values, expected);
  ASSERT_FALSE(sentAndShown.empty());
  for (const auto& [sent, shown] : sentAndShown)
    EXPECT_EQ(shown + 1, static_cast<std::int32_t>(sent));
}

TEST(Transmit, TheConfirmationRunsUntilOKOrCancelAndClosesBeforeTheFirstDump) {
  CTransmitRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_Nothing, 7, msg_Nothing, msg_OK});
  bool confirmOpenWhileSending = false;
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (dialog.layoutID == kProgressDialog && !rig.FindDialog(kConfirmDialog)->closed)
      confirmOpenWhileSending = true;
  };
  rig.patch.Transmit(nullptr);
  EXPECT_EQ(rig.FindDialog(kConfirmDialog)->turns, 4);
  EXPECT_FALSE(confirmOpenWhileSending);
  EXPECT_EQ(rig.service.Sent().size(), 50u);
}

TEST(Transmit, CancelInTheConfirmationSendsNothingAfterTheReceiveRequest) {
  CTransmitRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_Nothing, msg_Cancel});
  // The Send command asks the device to receive before Transmit confirms.
  rig.patch.BulkTrReRequest(1);
  rig.patch.Transmit(nullptr);

  EXPECT_EQ(rig.service.SentBytes(),
            std::vector<Bytes>{Bytes(kBulkReceiveRequest, kBulkReceiveRequest + kBulkRequestSize)});
  EXPECT_EQ(rig.DialogIDs(), std::vector<ResIDT>{kConfirmDialog});
  EXPECT_TRUE(rig.AllDialogsClosed());
  EXPECT_TRUE(rig.alerts.Alerts().empty());
}

struct SCancelRow {
  const char* name;
  std::size_t cancelAfter;  // dumps sent when the user cancels
};

TEST(Transmit, CancelBetweenTwoDumpsStopsThereAndShowsTheCancelledNotice) {
  const SCancelRow rows[] = {
      {"after the first dump", 1},
      {"after 10 dumps", 10},
      {"in the gap behind the last dump", 50},
  };
  for (const SCancelRow& row : rows) {
    SCOPED_TRACE(row.name);
    CTransmitRig rig;
    rig.MakeCurrent();
    rig.host.Script(kConfirmDialog, {msg_OK});
    // The notice ends on OK only.
    rig.host.Script(kCancelledDialog, {msg_Nothing, msg_Cancel, msg_Nothing, msg_OK});
    bool progressClosedDuringNotice = false;
    int cancelTurn = 0;  // of dialog 3004
    rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
      if (dialog.layoutID == kProgressDialog && cancelTurn == 0 &&
          rig.service.Sent().size() == row.cancelAfter) {
        rig.host.Script(kProgressDialog, {msg_Cancel});
        cancelTurn = dialog.turns;
      }
      if (dialog.layoutID == kCancelledDialog && rig.FindDialog(kProgressDialog)->closed)
        progressClosedDuringNotice = true;
    };
    rig.patch.Transmit(nullptr);

    EXPECT_EQ(rig.service.SentBytes(), KnownDumps(row.cancelAfter));
    EXPECT_EQ(rig.DialogIDs(),
              (std::vector<ResIDT>{kConfirmDialog, kProgressDialog, kCancelledDialog}));
    EXPECT_EQ(rig.FindDialog(kProgressDialog)->turns, cancelTurn);  // none after Cancel
    EXPECT_EQ(rig.FindDialog(kCancelledDialog)->turns, 4);
    EXPECT_FALSE(progressClosedDuringNotice);
    EXPECT_TRUE(rig.AllDialogsClosed());
    EXPECT_TRUE(rig.alerts.Alerts().empty());
  }
}

// A silent end would let the user believe the whole patch had been sent.
TEST(Transmit, ASendFailureOnTheWayStopsThereAndShowsAlertSeven) {
  for (std::size_t failing : {0u, 1u, 10u, 49u}) {
    SCOPED_TRACE("send " + std::to_string(failing) + " fails");
    CTransmitRig rig;
    rig.service.failFromSend = failing;
    rig.MakeCurrent();
    rig.host.Script(kConfirmDialog, {msg_OK});
    bool progressOpenAtAlert = false;
    rig.alerts.onAlert = [&] { progressOpenAtAlert = !rig.FindDialog(kProgressDialog)->closed; };
    rig.patch.Transmit(nullptr);

    EXPECT_EQ(rig.alerts.ErrorIndices(), std::vector<int>{7});
    EXPECT_FALSE(progressOpenAtAlert);
    EXPECT_EQ(rig.service.SentBytes(), KnownDumps(failing));
    EXPECT_EQ(rig.service.Attempts(), failing + 1);  // nothing tried after the failure
    EXPECT_EQ(rig.DialogIDs(), (std::vector<ResIDT>{kConfirmDialog, kProgressDialog}));
    EXPECT_TRUE(rig.AllDialogsClosed());
  }
}

struct SUnusableRow {
  const char* name;
  bool current;
  bool usable;
  bool outportValid;
};

TEST(Transmit, WithoutAUsableOutputPortAlertSevenComesBeforeAnything) {
  const SUnusableRow rows[] = {
      {"no service", false, true, true},
      {"service not usable", true, false, true},
      {"no output port", true, true, false},
  };
  for (const SUnusableRow& row : rows) {
    SCOPED_TRACE(row.name);
    CTransmitRig rig;
    rig.service.setupSucceeds = row.usable;
    rig.service.outportValid = row.outportValid;
    if (row.current) rig.MakeCurrent();
    rig.host.Script(kConfirmDialog, {msg_OK});

    rig.patch.Transmit(nullptr);
    EXPECT_EQ(rig.alerts.ErrorIndices(), std::vector<int>{7});
    rig.patch.BulkTrReRequest(1);
    rig.patch.BulkTrReRequest(0);
    EXPECT_EQ(rig.alerts.ErrorIndices(), (std::vector<int>{7, 7, 7}));

    EXPECT_TRUE(rig.host.Dialogs().empty());
    EXPECT_EQ(rig.service.Attempts(), 0u);
  }
}

struct SRequestRow {
  const char* name;
  long argument;
  const unsigned char* expected;
};

TEST(Transmit, TheRequestAsksTheDeviceToTransmitForZeroAndToReceiveOtherwise) {
  const SRequestRow rows[] = {
      {"0: transmit", 0, kBulkTransRequest},
      {"1: receive", 1, kBulkReceiveRequest},
      {"-1: receive", -1, kBulkReceiveRequest},
  };
  for (const SRequestRow& row : rows) {
    SCOPED_TRACE(row.name);
    CTransmitRig rig;
    rig.MakeCurrent();
    rig.patch.BulkTrReRequest(row.argument);
    ASSERT_EQ(rig.service.Sent().size(), 1u);
    EXPECT_EQ(rig.service.Sent()[0].outport, 0);
    EXPECT_EQ(rig.service.Sent()[0].bytes, Bytes(row.expected, row.expected + kBulkRequestSize));
    EXPECT_TRUE(rig.host.Dialogs().empty());
  }
}

TEST(Transmit, AFailedRequestIsLeftToTheTransferThatFollows) {
  CTransmitRig rig;
  rig.service.failFromSend = 0;
  rig.MakeCurrent();
  rig.patch.BulkTrReRequest(0);
  EXPECT_EQ(rig.service.Attempts(), 1u);
  EXPECT_TRUE(rig.alerts.Alerts().empty());
}

TEST(Transmit, LeavesThePatchAsItWas) {
  CTransmitRig rig;
  rig.MakeCurrent();
  rig.host.Script(kConfirmDialog, {msg_OK});
  CRecordingListener listener(rig.patch);
  rig.patch.Transmit(nullptr);
  EXPECT_TRUE(listener.Messages().empty());
  EXPECT_FALSE(rig.patch.IsModified());
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(kvxtest::SameRecord(*rig.patch.GetParam(index), KnownRecord(index))) << index;
}

}  // namespace
}  // namespace kvxtransfer
