#include "MidiTestSupport.h"

#include "framework/core/LString.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"
#include "midi/CMidiSystemWatcher.h"
#include "midi/StMidiInDelivery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A service that logs its calls.
class CFakeService final : public CMidiOperation {
 public:
  CFakeService(OSType classID, std::vector<std::string>& log, std::int32_t setupStatus = 0)
      : mClassID(classID), mLog(log), mSetupStatus(setupStatus) {}

  std::int32_t Setup() override {
    Note("setup");
    SetUsable(mSetupStatus == 0);
    return mSetupStatus;
  }
  void Release() override {
    Note("release");
    SetUsable(false);
  }
  void WaitUntilSent() override { Note("wait"); }
  OSType GetClassID() const override { return mClassID; }
  ConstStr255Param GetSystemName() const override { return mName; }
  bool ValidInport(long) override {
    Note("in");
    return inportValid;
  }
  bool ValidOutport(long) override {
    Note("out");
    return outportValid;
  }

  bool inportValid = false;
  bool outportValid = false;

 private:
  void Note(const char* what) {
    mLog.push_back(std::string(1, static_cast<char>(mClassID >> 24)) + " " + what);
  }

  OSType mClassID;
  std::vector<std::string>& mLog;
  std::int32_t mSetupStatus;
  const unsigned char mName[5] = {4, 'F', 'a', 'k', 'e'};
};

class MidiOperationTest : public ::testing::Test {
 protected:
  // Before the services die, none of them stays current.
  void TearDown() override { CMidiOperation::SetCurrent(nullptr); }

  StMidiTables mTables;
  std::vector<std::string> mLog;
  CFakeService mFirst{FourCC("A___"), mLog};
  CFakeService mSecond{FourCC("B___"), mLog};
  CFakeService mFailing{FourCC("F___"), mLog, 1};
};

TEST_F(MidiOperationTest, ValidPortAsksBothPortsThroughTheirSlots) {
  struct SRow {
    const char* name;
    bool in, out, expected;
    std::vector<std::string> asked;
  };
  const SRow rows[] = {
      {"both valid", true, true, true, {"A in", "A out"}},
      {"no in-port", false, true, false, {"A in"}},
      {"no out-port", true, false, false, {"A in", "A out"}},
      {"neither", false, false, false, {"A in"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    mLog.clear();
    CFakeService service(FourCC("A___"), mLog);
    service.inportValid = row.in;
    service.outportValid = row.out;
    EXPECT_EQ(service.ValidPort(0, 0), row.expected);
    EXPECT_EQ(mLog, row.asked);
  }
}

TEST_F(MidiOperationTest, SetCurrentReleasesWaitsForItsSendsAndSetsUpTheNext) {
  CFakeService& first = mFirst;
  CFakeService& second = mSecond;
  CMidiOperation::SetCurrent(&first);
  EXPECT_TRUE(first.IsCurrent());
  EXPECT_TRUE(first.IsUsable());
  CMidiOperation::SetCurrent(&second);
  EXPECT_EQ(mLog, (std::vector<std::string>{"A setup", "A release", "A wait", "B setup"}));
  EXPECT_FALSE(first.IsCurrent());
  EXPECT_TRUE(second.IsCurrent());
  EXPECT_EQ(CMidiOperation::GetCurrentClassID(), FourCC("B___"));
  EXPECT_EQ(LString::ToStd(CMidiOperation::GetCurrentSystemName()), "Fake");
}

TEST_F(MidiOperationTest, SetCurrentWithTheCurrentServiceDoesNothing) {
  CMidiOperation::SetCurrent(&mFirst);
  CMidiOperation::SetCurrent(&mFirst);
  EXPECT_EQ(mLog, (std::vector<std::string>{"A setup"}));
}

TEST_F(MidiOperationTest, SetCurrentNullReleasesAndLeavesNoService) {
  CMidiOperation::SetCurrent(&mFirst);
  CMidiOperation::SetCurrent(nullptr);
  EXPECT_EQ(mLog, (std::vector<std::string>{"A setup", "A release", "A wait"}));
  EXPECT_EQ(CMidiOperation::GetCurrent(), nullptr);
  EXPECT_EQ(CMidiOperation::GetCurrentClassID(), 0u);
  EXPECT_EQ(CMidiOperation::GetCurrentSystemName(), nullptr);
}

TEST_F(MidiOperationTest, FailedSetupStillMakesTheServiceCurrent) {
  CMidiOperation::SetCurrent(&mFailing);
  EXPECT_EQ(CMidiOperation::GetCurrent(), &mFailing);
  EXPECT_FALSE(mFailing.IsUsable());
}

TEST(MidiOperationInitialize, IdentifierIsKeptToThirtyTwoCharacters) {
  struct SRow {
    const char* name;
    std::size_t length;
    std::size_t stored;
  };
  const SRow rows[] = {{"empty", 0, 0},     {"short", 10, 10}, {"exactly 32", 32, 32},
                       {"33", 33, 32},       {"40", 40, 32},    {"255", 255, 32}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text;
    for (std::size_t i = 0; i < row.length; ++i) text += static_cast<char>('a' + i % 26);
    const LStr255 identifier(text);
    CMidiOperation::Initialize(kKVXEditorSignature, identifier, 1, 2);
    EXPECT_EQ(LString::ToStd(CMidiOperation::GetAppIdentifier()), text.substr(0, row.stored));
    EXPECT_EQ(CMidiOperation::GetAppSignature(), FourCC("KVE2"));
    EXPECT_EQ(CMidiOperation::GetInportCount(), 1u);
    EXPECT_EQ(CMidiOperation::GetOutportCount(), 2u);
    CMidiOperation::Uninitialize();
  }
}

TEST(MidiOperationInitialize, EveryEntryStartsUnboundAndAgainOnASecondInitialize) {
  StMidiTables tables(3, 1);
  CMidiInQueue queue;
  CMidiOperation::SetMidiInQueue(1, &queue);
  CMidiOperation::SetInportEnabled(2, true);
  StMidiTables again(3, 1);
  for (long inport = 0; inport < 3; ++inport) {
    SCOPED_TRACE(inport);
    const SMidiInAction* entry = CMidiOperation::GetMidiInAction(inport);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->action, kMidiInUnbound);
    EXPECT_FALSE(entry->enabled);
    EXPECT_EQ(entry->value, 0);
  }
}

TEST(MidiOperationBindings, PortsOutsideTheTableAreIgnored) {
  StMidiTables tables;
  CMidiInQueue queue;
  for (const long inport : {-1L, 1L, 5L, LONG_MAX, LONG_MIN}) {
    SCOPED_TRACE(inport);
    CMidiOperation::SetMidiInQueue(inport, &queue);
    CMidiOperation::SetThruPort(inport, 0);
    CMidiOperation::SetInportEnabled(inport, true);
    EXPECT_FALSE(CMidiOperation::IsInportEnabled(inport));
    EXPECT_EQ(CMidiOperation::GetMidiInAction(inport), nullptr);
    StMidiInDelivery delivery(inport);
    EXPECT_EQ(delivery.GetQueue(), nullptr);
    const SMidiInAction* entry = CMidiOperation::GetMidiInAction(0);
    EXPECT_EQ(entry->action, kMidiInUnbound);
    EXPECT_FALSE(entry->enabled);
    EXPECT_EQ(entry->value, 0);
  }
}

TEST(MidiOperationBindings, WithoutTablesEveryOperationIsIgnored) {
  CMidiOperation::Uninitialize();
  CMidiInQueue queue;
  CMidiOperation::SetMidiInQueue(0, &queue);
  CMidiOperation::SetInportEnabled(0, true);
  EXPECT_FALSE(CMidiOperation::IsInportEnabled(0));
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0), nullptr);
  StMidiInDelivery delivery(0);
  EXPECT_EQ(delivery.GetQueue(), nullptr);
}

TEST(MidiOperationBindings, BindingRebindingAndThruChangeOnlyActionAndValue) {
  StMidiTables tables;
  CMidiInQueue first, second;
  const SMidiInAction* entry = CMidiOperation::GetMidiInAction(0);
  CMidiOperation::SetInportEnabled(0, true);

  CMidiOperation::SetMidiInQueue(0, &first);
  EXPECT_EQ(entry->action, kMidiInToQueue);
  EXPECT_EQ(entry->value, reinterpret_cast<std::intptr_t>(&first));
  EXPECT_EQ(StMidiInDelivery(0).GetQueue(), &first);

  CMidiOperation::SetMidiInQueue(0, &second);
  EXPECT_EQ(StMidiInDelivery(0).GetQueue(), &second);

  CMidiOperation::SetThruPort(0, 3);
  EXPECT_EQ(entry->action, kMidiInThru);
  EXPECT_EQ(entry->value, 3);
  EXPECT_EQ(StMidiInDelivery(0).GetQueue(), nullptr);  // thru is not delivered

  CMidiOperation::SetMidiInQueue(0, &first);
  CMidiOperation::SetMidiInQueue(0, nullptr);
  EXPECT_EQ(entry->action, kMidiInUnbound);
  EXPECT_EQ(entry->value, 0);
  EXPECT_TRUE(CMidiOperation::IsInportEnabled(0));
}

TEST(MidiOperationBindings, DestroyedQueueIsUnboundAndTheEnabledFlagKept) {
  for (const bool enabled : {false, true}) {
    SCOPED_TRACE(enabled);
    StMidiTables tables;
    CMidiOperation::SetInportEnabled(0, enabled);
    {
      CMidiInQueue queue;
      CMidiOperation::SetMidiInQueue(0, &queue);
    }
    const SMidiInAction* entry = CMidiOperation::GetMidiInAction(0);
    EXPECT_EQ(entry->action, kMidiInUnbound);
    EXPECT_EQ(entry->value, 0);
    EXPECT_EQ(CMidiOperation::IsInportEnabled(0), enabled);
    EXPECT_EQ(StMidiInDelivery(0).GetQueue(), nullptr);
  }
}

TEST(MidiOperationBindings, QueueDiedUnbindsEveryInportOfThatQueueOnly) {
  StMidiTables tables(3, 1);
  CMidiInQueue kept;
  auto dying = std::make_unique<CMidiInQueue>();
  CMidiOperation::SetMidiInQueue(0, dying.get());
  CMidiOperation::SetMidiInQueue(1, &kept);
  CMidiOperation::SetMidiInQueue(2, dying.get());
  dying.reset();
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
  EXPECT_EQ(CMidiOperation::GetMidiInAction(1)->action, kMidiInToQueue);
  EXPECT_EQ(CMidiOperation::GetMidiInAction(1)->value, reinterpret_cast<std::intptr_t>(&kept));
  EXPECT_EQ(CMidiOperation::GetMidiInAction(2)->action, kMidiInUnbound);
}

// Unbinding must not return while the read thread is still inside a delivery pass that saw
// the queue: the caller destroys the queue right afterwards.
TEST(MidiOperationBindings, UnbindingWaitsForTheRunningDeliveryPass) {
  StMidiTables tables;
  CMidiInQueue queue;
  CMidiOperation::SetMidiInQueue(0, &queue);
  std::atomic<bool> inside{false}, unbound{false}, unboundSeenInside{false};
  std::thread reader([&] {
    StMidiInDelivery delivery(0);
    EXPECT_EQ(delivery.GetQueue(), &queue);
    inside.store(true);
    for (int i = 0; i < 20000; ++i) {
      if (unbound.load()) unboundSeenInside.store(true);
      std::this_thread::yield();
    }
  });
  while (!inside.load()) std::this_thread::yield();
  CMidiOperation::SetMidiInQueue(0, nullptr);
  unbound.store(true);
  reader.join();
  EXPECT_FALSE(unboundSeenInside.load());
  EXPECT_EQ(StMidiInDelivery(0).GetQueue(), nullptr);
}

class CWatcher final : public CMidiSystemWatcher {
 public:
  CWatcher(char name, std::string& log) : mName(name), mLog(log) {}
  void ReceiveSystemMessage(OSType classID, long message, void* param) override {
    mLog += mName;
    mLastClassID = classID;
    mLastMessage = message;
    mLastParam = param;
    if (onMessage) onMessage();
  }
  char mName;
  std::string& mLog;
  OSType mLastClassID = 0;
  long mLastMessage = 0;
  void* mLastParam = nullptr;
  std::function<void()> onMessage;
};

TEST(MidiSystemWatcher, WatchersHearMessagesInConstructionOrder) {
  std::string log;
  auto a = std::make_unique<CWatcher>('a', log);
  auto b = std::make_unique<CWatcher>('b', log);
  auto c = std::make_unique<CWatcher>('c', log);
  int record = 0;
  CMidiSystemWatcher::NotifyMessage(FourCC("OS_X"), kMidiSetupChanged, &record);
  EXPECT_EQ(log, "abc");
  EXPECT_EQ(c->mLastClassID, FourCC("OS_X"));
  EXPECT_EQ(c->mLastMessage, kMidiSetupChanged);
  EXPECT_EQ(c->mLastParam, &record);

  log.clear();
  b.reset();
  auto d = std::make_unique<CWatcher>('d', log);
  CMidiSystemWatcher::NotifyMessage(0, 1, nullptr);
  EXPECT_EQ(log, "acd");
}

TEST(MidiSystemWatcher, AWatcherMayLeaveDuringItsOwnCall) {
  std::string log;
  auto a = std::make_unique<CWatcher>('a', log);
  auto b = std::make_unique<CWatcher>('b', log);
  CWatcher c('c', log);
  b->onMessage = [&] { b.reset(); };
  CMidiSystemWatcher::NotifyMessage(0, 1, nullptr);
  CMidiSystemWatcher::NotifyMessage(0, 1, nullptr);
  EXPECT_EQ(log, "abcac");
}

TEST(MidiSystemWatcher, ServiceForwardsSystemMessagesUnderItsClassID) {
  std::string log;
  CWatcher watcher('w', log);
  std::vector<std::string> calls;
  CFakeService service(FourCC("OS_X"), calls);
  service.NotifySystemMessage(kMidiSetupChanged, nullptr);
  EXPECT_EQ(log, "w");
  EXPECT_EQ(watcher.mLastClassID, FourCC("OS_X"));
}

}  // namespace
