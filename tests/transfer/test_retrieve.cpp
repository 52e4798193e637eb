// Fetching the device's patch: the emptied patch, the queue on input port 0, waiting for the
// first dump, counting and settling, Cancel in either dialog, duplicates and foreign messages.
#include "transfer/TransferTestSupport.h"

#include "support/RecordingListener.h"

#include "framework/core/LPeriodical.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kvxtransfer {
namespace {

const Bytes kNoteOn{0x90, 0x3C, 0x40};
const Bytes kForeignSysex{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

Bytes WithByte(Bytes message, std::size_t at, std::uint8_t value) {
  message.at(at) = value;
  return message;
}

// Messages a retrieval must drop: not dumps, or dumps of no controller of ours.
std::vector<Bytes> ForeignMessages() {
  Bytes shortDump = KnownDump(3);
  shortDump.erase(shortDump.begin() + 120, shortDump.begin() + 122);  // 139 bytes
  return {
      kNoteOn,
      kForeignSysex,
      WithByte(KnownDump(4), 1, 0x7E),   // another manufacturer
      WithByte(KnownDump(5), 5, 0x5D),   // another model
      WithByte(KnownDump(6), 9, 0x60),   // an address of no controller
      shortDump,
      Bytes{0xF8},                        // clock
  };
}

// A rig with a patch that holds something, so that emptying it shows.
struct CRetrieveRig : CTransferRig {
  CRetrieveRig() {
    for (long index = 0; index < kControllerCount; ++index)
      *patch.GetParam(index) = kvxtest::MakeRecord(1, 9, {36, 100, 0});
    patch.SetPatchTitle(LStr255("Drums"));
  }

  // The device sends the dumps of `controllers`, one per turn from `firstTurn` on.
  void DeviceSends(const std::vector<long>& controllers, int firstTurn = 3) {
    int turn = firstTurn;
    for (long controller : controllers) device.SendAt(turn++, KnownDump(controller));
  }

  // Records the tick of every dump the patch takes from now on.
  void WatchReceipts() {
    receipts.rig = this;
    patch.AddListener(&receipts);
  }

  struct CReceipts final : LListener {
    CTransferRig* rig = nullptr;
    std::vector<std::uint32_t> ticks;
    std::vector<long> controllers;
    void ListenToMessage(MessageT message, void* param) override {
      if (message != msg_ParamReceived) return;
      ticks.push_back(rig->Now());
      controllers.push_back(*msg_ParamReceived.Param(param));
    }
  } receipts;

  CPatch patch;
};

std::vector<long> Controllers(long first, long last) {
  std::vector<long> controllers;
  for (long index = first; index <= last; ++index) controllers.push_back(index);
  return controllers;
}

bool HoldsKnownRecord(const CPatch& patch, long index) {
  return kvxtest::SameRecord(*patch.GetParam(index), KnownRecord(index));
}

bool IsEmptyRecord(const CPatch& patch, long index) {
  return kvxtest::SameRecord(*patch.GetParam(index), SPatchParam{});
}

TEST(Retreive, TakesTheFiftyDumpsAndEndsOnItsOwn) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.DeviceSends(Controllers(0, 49));
  CRecordingListener listener(rig.patch);
  rig.patch.Retreive(nullptr);

  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  EXPECT_TRUE(rig.patch.IsModified());
  EXPECT_EQ(kvxtest::Text(rig.patch.PatchTitle()), "");
  std::vector<MessageT> expectedCodes{msg_PatchInit};
  expectedCodes.insert(expectedCodes.end(), 50, msg_ParamReceived);
  EXPECT_EQ(listener.MessageCodes(), expectedCodes);
  EXPECT_EQ(listener.IndicesOf(msg_ParamReceived), Controllers(0, 49));
  EXPECT_EQ(rig.DialogIDs(), (std::vector<ResIDT>{kWaitDialog, kProgressDialog}));
  EXPECT_TRUE(rig.AllDialogsClosed());
  EXPECT_TRUE(rig.alerts.Alerts().empty());
  EXPECT_EQ(rig.device.Lost(), 0);
}

// The count starts anew: a second retrieval into the same patch waits for the device again.
TEST(Retreive, ASecondRetrievalWaitsForADeviceThatAnswersLate) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.DeviceSends(Controllers(0, 49));
  rig.patch.Retreive(nullptr);
  ASSERT_EQ(rig.patch.GetReceivedCount(), 50);

  rig.DeviceSends(Controllers(0, 49), rig.Turn() + 40);
  rig.patch.Retreive(nullptr);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
  EXPECT_EQ(rig.device.Lost(), 0);
}

TEST(Retreive, ListensOnInputPortZeroOnlyWhileItRuns) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.DeviceSends(Controllers(0, 49));
  int checkedTurns = 0;
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord&) {
    StMidiInDelivery delivery(0);
    const CMidiInQueue* queue = delivery.GetQueue();
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->GetRingSize(), 2048);
    EXPECT_GE(queue->GetMsgBufferSize(), 256);
    EXPECT_EQ(queue->GetMidiInHandler(), &rig.patch);
    EXPECT_TRUE(queue->IsWatching());
    EXPECT_TRUE(CMidiOperation::IsInportEnabled(0));
    ++checkedTurns;
  };
  rig.patch.Retreive(nullptr);

  EXPECT_GT(checkedTurns, 50);
  const SMidiInAction* binding = CMidiOperation::GetMidiInAction(0);
  EXPECT_EQ(binding->action, kMidiInUnbound);
  EXPECT_EQ(binding->queue.load(), nullptr);
}

TEST(Retreive, TheBarIsIndeterminateUntilTheFirstCountThenShowsTheCount) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.DeviceSends(Controllers(0, 49));
  std::optional<SProgressState> shownFirst;
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (dialog.layoutID == kProgressDialog && !shownFirst && !dialog.progress.empty())
      shownFirst = dialog.progress.back().second;
  };
  rig.patch.Retreive(nullptr);

  ASSERT_TRUE(shownFirst.has_value());
  EXPECT_EQ(*shownFirst, (SProgressState{0, 0, 50, true}));
  const auto& changes = rig.FindDialog(kProgressDialog)->progress;
  std::int32_t previous = 0;
  bool determinate = false;
  for (std::size_t k = 0; k < changes.size(); ++k) {
    const auto& [pane, state] = changes[k];
    SCOPED_TRACE("change " + std::to_string(k));
    EXPECT_EQ(pane, 3);
    // Once determinate it stays so, and the count only grows.
    if (determinate) {
      EXPECT_FALSE(state.indeterminate);
    }
    determinate = !state.indeterminate;
    EXPECT_GE(state.value, previous);
    previous = state.value;
  }
  EXPECT_TRUE(determinate);
  EXPECT_EQ(previous, 50);
}

TEST(Retreive, FiftyDumpsArrivingAtOnceAreAllTaken) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  for (long index = 0; index < kControllerCount; ++index) rig.device.SendAt(2, KnownDump(index));
  rig.patch.Retreive(nullptr);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
}

TEST(Retreive, DumpsSplitOverSeveralPacketsAreJoined) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  for (long index = 0; index < kControllerCount; ++index)
    rig.device.SendAt(3 + static_cast<int>(index), KnownDump(index), 1 + index % 4);
  rig.patch.Retreive(nullptr);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
}

// The device may answer the request before Retreive runs; the request sets the queue
// listening first, and the queue hands nothing on before Retreive has emptied the patch.
TEST(Retreive, DumpsSentBeforeRetreiveRunsAreKeptForIt) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.patch.BulkTrReRequest(0);
  for (long index = 0; index < kControllerCount; ++index) rig.device.SendAt(0, KnownDump(index));
  rig.device.Play(0);
  EXPECT_EQ(rig.device.Lost(), 0);
  CRecordingListener early(rig.patch);
  for (int turn = 0; turn < 30; ++turn) {
    LPeriodical::DevoteTimeToRepeaters(EventRecord{});
    LPeriodical::DevoteTimeToIdlers(EventRecord{});
  }
  EXPECT_TRUE(early.Messages().empty());
  EXPECT_EQ(rig.patch.GetReceivedCount(), 0);

  rig.patch.Retreive(nullptr);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
  EXPECT_EQ(rig.service.SentBytes().front(),
            Bytes(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize));
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
}

TEST(Retreive, ARefusedRetrievalAfterARequestStopsListening) {
  CRetrieveRig rig;
  rig.service.inportValid = false;  // the request needs the output port only
  rig.MakeCurrent();
  rig.patch.BulkTrReRequest(0);
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInToQueue);
  rig.patch.Retreive(nullptr);
  EXPECT_EQ(rig.alerts.ErrorIndices(), std::vector<int>{7});
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
}

struct SSettleRow {
  const char* name;
  Bytes extra;        // sent a few ticks after the 50th dump; empty for none
  bool countsAsDump;  // the quiet time starts again from it
};

TEST(Retreive, EndsOnlyAfterSixteenQuietTicksBehindTheLastDump) {
  const SSettleRow rows[] = {
      {"fifty dumps", {}, false},
      {"a note in the quiet time", kNoteOn, false},
      {"a foreign SysEx in the quiet time", kForeignSysex, false},
      {"a controller again in the quiet time", KnownDump(7), true},
  };
  for (const SSettleRow& row : rows) {
    SCOPED_TRACE(row.name);
    CRetrieveRig rig;
    rig.MakeCurrent();
    rig.WatchReceipts();
    rig.DeviceSends(Controllers(0, 49));  // turns 3..52
    if (!row.extra.empty()) rig.device.SendAt(52 + 8, row.extra);
    int progressTurnsAfterLast = 0;
    rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
      if (dialog.layoutID == kProgressDialog && !rig.receipts.ticks.empty() &&
          rig.Now() > rig.receipts.ticks.back())
        ++progressTurnsAfterLast;
    };
    rig.patch.Retreive(nullptr);

    ASSERT_EQ(rig.receipts.ticks.size(), row.countsAsDump ? 51u : 50u);
    // The last dump was taken in the dialog turn that began at tick `last`; the count is
    // looked at when the turn is over, a tick later, and more than 16 ticks must pass from
    // there: the retrieval cannot end before last + 18.
    const std::uint32_t last = rig.receipts.ticks.back();
    EXPECT_GE(rig.Now() - last, 18u);
    EXPECT_LE(rig.Now() - last, 19u);  // and not much later
    EXPECT_GE(progressTurnsAfterLast, 16);
    EXPECT_TRUE(rig.alerts.Alerts().empty());
    EXPECT_TRUE(rig.AllDialogsClosed());
  }
}

TEST(Retreive, FortyNineDistinctDumpsWaitForCancelAndStay) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.DeviceSends(Controllers(0, 48));
  constexpr int kCancelTurn = 600;  // long after the last dump
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (dialog.layoutID == kProgressDialog && rig.Turn() == kCancelTurn)
      rig.host.Script(kProgressDialog, {msg_Cancel});
  };
  rig.patch.Retreive(nullptr);

  EXPECT_EQ(rig.Turn(), kCancelTurn);
  EXPECT_EQ(rig.patch.GetReceivedCount(), 49);
  for (long index = 0; index < 49; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
  EXPECT_TRUE(IsEmptyRecord(rig.patch, 49));
  EXPECT_EQ(rig.DialogIDs(), (std::vector<ResIDT>{kWaitDialog, kProgressDialog}));
  EXPECT_TRUE(rig.AllDialogsClosed());
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
}

TEST(Retreive, AControllerSentTwiceCountsOnceAndKeepsTheRetrievalFromCompleting) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  std::vector<long> controllers = Controllers(0, 48);
  controllers.insert(controllers.begin() + 20, 10);  // 10 twice, 49 never
  rig.DeviceSends(controllers);
  CRecordingListener listener(rig.patch);
  constexpr int kCancelTurn = 600;  // long after the last dump
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
    if (dialog.layoutID == kProgressDialog && rig.Turn() == kCancelTurn)
      rig.host.Script(kProgressDialog, {msg_Cancel});
  };
  EXPECT_EQ(rig.patch.Retreive(nullptr), CPatch::ERetrieveOutcome::Cancelled);

  EXPECT_EQ(rig.Turn(), kCancelTurn) << "it waited for Cancel";
  EXPECT_EQ(rig.patch.GetReceivedCount(), 49);
  EXPECT_EQ(rig.patch.GetArrivedDumpCount(), 50u);
  EXPECT_EQ(rig.patch.GetMissingControllers(), std::vector<long>{49});
  EXPECT_EQ(listener.IndicesOf(msg_ParamReceived), controllers);
  for (long index = 0; index < 49; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
  EXPECT_TRUE(IsEmptyRecord(rig.patch, 49));
  EXPECT_TRUE(rig.AllDialogsClosed());
  EXPECT_TRUE(rig.alerts.Alerts().empty());
}

TEST(Retreive, ForeignMessagesAmongTheDumpsChangeNothing) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  int turn = 3;
  const std::vector<Bytes> foreign = ForeignMessages();
  for (long index = 0; index < kControllerCount; ++index) {
    rig.device.SendAt(turn++, foreign[static_cast<std::size_t>(index) % foreign.size()]);
    rig.device.SendAt(turn++, KnownDump(index));
  }
  CRecordingListener listener(rig.patch);
  rig.patch.Retreive(nullptr);

  EXPECT_EQ(rig.patch.GetReceivedCount(), 50);
  EXPECT_EQ(listener.IndicesOf(msg_ParamReceived), Controllers(0, 49));
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(HoldsKnownRecord(rig.patch, index)) << index;
}

TEST(Retreive, OnlyForeignMessagesKeepItWaitingForTheFirstDump) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  int turn = 2;
  for (const Bytes& message : ForeignMessages()) rig.device.SendAt(turn++, message);
  rig.onTurn = [&](CScriptedDialogHost::SDialogRecord&) {
    if (rig.Turn() == 40) rig.host.Script(kWaitDialog, {msg_Cancel});
  };
  CRecordingListener listener(rig.patch);
  rig.patch.Retreive(nullptr);

  EXPECT_EQ(rig.FindDialog(kWaitDialog)->turns, 40);
  EXPECT_EQ(listener.MessageCodes(), std::vector<MessageT>{msg_PatchInit});
  EXPECT_EQ(rig.patch.GetReceivedCount(), 0);
  EXPECT_FALSE(rig.patch.IsModified());
  EXPECT_EQ(rig.DialogIDs(), std::vector<ResIDT>{kWaitDialog});
}

TEST(Retreive, CancelWhileWaitingLeavesAnEmptyPatchAndNoQueue) {
  CRetrieveRig rig;
  rig.MakeCurrent();
  rig.host.Script(kWaitDialog, {msg_Nothing, msg_Nothing, msg_Cancel});
  rig.device.SendAt(50, KnownDump(0));  // too late
  rig.patch.Retreive(nullptr);

  EXPECT_EQ(rig.DialogIDs(), std::vector<ResIDT>{kWaitDialog});
  EXPECT_TRUE(rig.AllDialogsClosed());
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(IsEmptyRecord(rig.patch, index));
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
  rig.device.Play(50);
  EXPECT_EQ(rig.device.Lost(), 1);  // nobody listens any more
}

// A dump as a bad cable delivers it: one nibble changed, the checksum left as it was.
Bytes Damaged(long controller) {
  Bytes dump = KnownDump(controller);
  dump.at(20) ^= 0x01;
  return dump;
}

TEST(Retreive, DamagedDumpsAreNotTakenAndKeepTheRetrievalFromCompleting) {
  constexpr PaneIDT kDamageNote = 4;
  constexpr int kCancelTurn = 600;
  struct SRow {
    const char* name;
    std::vector<long> damaged;      // sent damaged, in this order, among the 50
    std::vector<long> resentGood;   // sent again whole after the 50
    std::string note;               // the last caption, "" for none
    bool completes;
  } rows[] = {
      {"two damaged", {2, 24}, {}, "R3, A7", false},
      {"the first dump damaged", {0}, {}, "R1", false},
      {"a damaged dump sent again whole", {2}, {2}, "", true},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CRetrieveRig rig;
    rig.MakeCurrent();
    int turn = 3;
    for (long index = 0; index < kControllerCount; ++index) {
      const bool damaged = std::find(row.damaged.begin(), row.damaged.end(), index) !=
                           row.damaged.end();
      rig.device.SendAt(turn++, damaged ? Damaged(index) : KnownDump(index));
    }
    for (long index : row.resentGood) rig.device.SendAt(turn++, KnownDump(index));
    rig.onTurn = [&](CScriptedDialogHost::SDialogRecord& dialog) {
      if (dialog.layoutID == kProgressDialog && rig.Turn() == kCancelTurn)
        rig.host.Script(kProgressDialog, {msg_Cancel});
    };
    rig.patch.Retreive(nullptr);

    EXPECT_EQ(rig.Turn() == kCancelTurn, !row.completes);
    EXPECT_EQ(rig.patch.GetReceivedCount(), 50 - row.damaged.size() + row.resentGood.size());
    for (long index : row.damaged) {
      const bool resent = !row.resentGood.empty();
      EXPECT_EQ(HoldsKnownRecord(rig.patch, index), resent) << index;
      if (!resent) {
        EXPECT_TRUE(IsEmptyRecord(rig.patch, index)) << index;
      }
    }
    const auto* progress = rig.FindDialog(kProgressDialog);
    ASSERT_NE(progress, nullptr);
    const std::string lastNote = progress->captions.empty() ? "" : progress->captions.back().second;
    if (row.note.empty()) {
      EXPECT_EQ(lastNote, "");
    } else {
      EXPECT_EQ(progress->captions.back().first, kDamageNote);
      EXPECT_NE(lastNote.find(": " + row.note + "."), std::string::npos) << lastNote;
    }
    EXPECT_TRUE(rig.AllDialogsClosed());
  }
}

struct SUnusableRow {
  const char* name;
  bool current;
  bool usable;
  bool inportValid;
  bool outportValid;
};

TEST(Retreive, WithoutUsablePortsTheEmptiedPatchAndAlertSevenAreAllThatHappens) {
  const SUnusableRow rows[] = {
      {"no service", false, true, true, true},
      {"service not usable", true, false, true, true},
      {"no input port", true, true, false, true},
      {"no output port", true, true, true, false},
  };
  for (const SUnusableRow& row : rows) {
    SCOPED_TRACE(row.name);
    CRetrieveRig rig;
    rig.service.setupSucceeds = row.usable;
    rig.service.inportValid = row.inportValid;
    rig.service.outportValid = row.outportValid;
    if (row.current) rig.MakeCurrent();
    std::vector<std::string> events;
    struct CLog final : LListener {
      std::vector<std::string>* events = nullptr;
      void ListenToMessage(MessageT message, void*) override {
        if (message == msg_PatchInit) events->push_back("Init");
      }
    } log;
    log.events = &events;
    rig.patch.AddListener(&log);
    rig.alerts.onAlert = [&] { events.push_back("alert"); };

    rig.patch.Retreive(nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"Init", "alert"}));
    EXPECT_EQ(rig.alerts.ErrorIndices(), std::vector<int>{7});
    EXPECT_TRUE(rig.host.Dialogs().empty());
    EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
    EXPECT_EQ(kvxtest::Text(rig.patch.PatchTitle()), "");
    for (long index = 0; index < kControllerCount; ++index)
    EXPECT_TRUE(IsEmptyRecord(rig.patch, index));
  }
}

}  // namespace
}  // namespace kvxtransfer
