// Setting up and releasing the service, choosing endpoints by unique ID from the preference
// data, and setup changes.
#include "ServiceTestSupport.h"

#include "framework/core/LPeriodical.h"
#include "framework/core/LString.h"

#include <gtest/gtest.h>

namespace {

using namespace kvxtest;

// Fails the set-up step `failStep` (1 client, 2 input port, 3 output port; 0 none) and
// records the steps tried with their names.
class CFailingService final : public COSXMidiService {
 public:
  CFailingService(CMidiSystem& system, int failStep)
      : COSXMidiService(system, 0), failStep(failStep) {}

  int failStep;
  std::vector<std::string> steps;

 protected:
  OSStatus CreateMidiClient(std::string_view name) override {
    return Step(1, "client " + std::string(name),
                [&] { return COSXMidiService::CreateMidiClient(name); });
  }
  OSStatus CreateMidiInputPort(std::string_view name) override {
    return Step(2, "input " + std::string(name),
                [&] { return COSXMidiService::CreateMidiInputPort(name); });
  }
  OSStatus CreateMidiOutputPort(std::string_view name) override {
    return Step(3, "output " + std::string(name),
                [&] { return COSXMidiService::CreateMidiOutputPort(name); });
  }

 private:
  template <typename Create>
  OSStatus Step(int step, std::string record, Create create) {
    steps.push_back(std::move(record));
    return step == failStep ? kMIDIPortOpenErr : create();
  }
};

TEST_F(ServiceTest, ASetUpFailureAtAnyStepDisposesOfWhatWasCreated) {
  struct SCase {
    const char* name;
    int failStep;
    std::vector<std::string> steps;
  };
  const std::vector<std::string> allSteps = {"client KVX Editor", "input KVX Editor Input Port",
                                             "output KVX Editor Output Port"};
  const SCase cases[] = {
      {"client", 1, {allSteps[0]}},
      {"input port", 2, {allSteps[0], allSteps[1]}},
      {"output port", 3, allSteps},
  };
  SetPreferenceText(Settings(SourceID(0), DestinationID(0)));
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    CFailingService service(System(), row.failStep);
    service.LoadPreference();
    CRecordingWatcher watcher;
    EXPECT_EQ(service.Setup(), 1);
    EXPECT_EQ(service.steps, row.steps);
    EXPECT_FALSE(service.IsUsable());
    EXPECT_FALSE(service.ValidPort(0, 0));
    EXPECT_TRUE(ConnectedSources().empty());
    // A client left behind would still hear of setup changes.
    mScript->sources.push_back({"new", "New:New 140:0"});
    EXPECT_TRUE(System().CheckSetup());
    EXPECT_TRUE(watcher.heard.empty());
    mScript->sources.pop_back();
    System().CheckSetup();

    service.failStep = 0;
    EXPECT_EQ(service.Setup(), 0);
    EXPECT_TRUE(service.ValidPort(0, 0));
    EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"a"});
    service.Release();
  }
}

TEST_F(ServiceTest, ClientAndPortsCarryTheApplicationsNames) {
  SetUpService(Settings(SourceID(0), DestinationID(1)));
  const unsigned char message[] = {0x90, 0x40, 0x7F};
  ASSERT_EQ(Service().SendMidiMsg(0, message, 3), 0);
  EXPECT_EQ(mScript->openedOutputs,
            std::vector<std::string>{"b as KVX Editor:KVX Editor Output Port"});
}

TEST_F(ServiceTest, EndpointsAreChosenByTheUniqueIDsStored) {
  struct SCase {
    const char* name;
    std::string preferences;
    bool loaded;
    const char* connected;  // source key, or null
    MIDIUniqueID sourceID;
    MIDIUniqueID destinationID;
    bool validOutport;
  };
  const MIDIUniqueID second = SourceID(1);
  const MIDIUniqueID first = DestinationID(0);
  const SCase cases[] = {
      {"no preference data", "", false, nullptr, 0, 0, false},
      {"other sections only", "[General Settings]\r\nSource 0 = " + std::to_string(second) + "\r\n",
       false, nullptr, 0, 0, false},
      {"stored 0 matches nothing", Settings(0, 0), true, nullptr, 0, 0, false},
      {"second source, first destination", Settings(second, first), true, "b", second, first, true},
      {"an absent device keeps its ID", Settings(12345, -77), true, nullptr, 12345, -77, false},
      {"not a number reads as none", "[MIDI Service Settings]\r\nSource 0 = b\r\n", true, nullptr,
       0, 0, false},
      {"a source ID does not choose a destination", Settings(second, second), true, "b", second,
       second, false},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    SetPreferenceText(row.preferences);
    COSXMidiService service(System(), 0);
    ASSERT_EQ(service.Setup(), 0);
    EXPECT_EQ(service.LoadPreference(), row.loaded);
    EXPECT_EQ(service.ValidInport(0), row.connected != nullptr);
    EXPECT_EQ(ConnectedSources(),
              row.connected ? std::vector<std::string>{row.connected} : std::vector<std::string>{});
    EXPECT_EQ(service.GetInportUniqueID(0), row.sourceID);
    EXPECT_EQ(service.GetOutportUniqueID(0), row.destinationID);
    EXPECT_EQ(service.ValidOutport(0), row.validOutport);
    EXPECT_EQ(service.ValidPort(0, 0), row.connected != nullptr && row.validOutport);
  }
}

TEST_F(ServiceTest, PortsOutsideTheTablesAreNeverValid) {
  SetUpService(Settings(SourceID(0), DestinationID(0)));
  for (const long port : {-1L, 1L, 1000L}) {
    SCOPED_TRACE(port);
    EXPECT_FALSE(Service().ValidInport(port));
    EXPECT_FALSE(Service().ValidOutport(port));
    EXPECT_EQ(Service().GetInportUniqueID(port), 0);
  }
}

TEST_F(ServiceTest, TwoInportsStoringTheSameIDBothTakeTheSource) {
  const unsigned char identifier[] = "\x0AKVX Editor";
  CMidiOperation::Initialize(kKVXEditorSignature, identifier, 2, 1);
  const MIDIUniqueID id = SourceID(2);
  SetPreferenceText("[MIDI Service Settings]\r\nSource 0 = " + std::to_string(id) +
                    "\r\nSource 1 = " + std::to_string(id) + "\r\n");
  COSXMidiService service(System(), 0);
  ASSERT_EQ(service.Setup(), 0);
  ASSERT_TRUE(service.LoadPreference());
  EXPECT_TRUE(service.ValidInport(0));
  EXPECT_TRUE(service.ValidInport(1));
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});
}

TEST_F(ServiceTest, ReleaseDisconnectsAndAnotherSetUpReconnects) {
  SetUpService(Settings(SourceID(1), DestinationID(1)));
  ASSERT_EQ(ConnectedSources(), std::vector<std::string>{"b"});
  Service().Release();
  EXPECT_FALSE(Service().IsUsable());
  EXPECT_FALSE(Service().ValidPort(0, 0));
  EXPECT_TRUE(ConnectedSources().empty());
  const unsigned char message[] = {0x90, 0x40, 0x7F};
  EXPECT_NE(Service().SendMidiMsg(0, message, 3), 0);
  EXPECT_NE(Service().SendSysxMsg(0, message, 3), 0);

  ASSERT_EQ(Service().Setup(), 0);
  EXPECT_TRUE(Service().ValidPort(0, 0));
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"b"});
}

TEST_F(ServiceTest, AVanishedDeviceIsDroppedAndFoundAgainByItsUniqueID) {
  const MIDIUniqueID sourceID = SourceID(1);
  const MIDIUniqueID destinationID = DestinationID(1);
  SetUpService(Settings(sourceID, destinationID));
  CRecordingWatcher watcher;

  mScript->sources.erase(mScript->sources.begin() + 1);
  mScript->destinations.erase(mScript->destinations.begin() + 1);
  ASSERT_TRUE(System().CheckSetup());
  EXPECT_FALSE(Service().ValidInport(0));
  EXPECT_FALSE(Service().ValidOutport(0));
  EXPECT_TRUE(ConnectedSources().empty());
  EXPECT_EQ(Service().GetInportUniqueID(0), sourceID);
  const unsigned char message[] = {0x90, 0x40, 0x7F};
  EXPECT_EQ(Service().SendMidiMsg(0, message, 3), COSXMidiService::kSendNoDestination);

  // Back under another session number, at another place in the list.
  mScript->sources.insert(mScript->sources.begin(), {"b-again", "Dev B:Dev B 135:0"});
  mScript->destinations.insert(mScript->destinations.begin(), {"b-again", "Dev B:Dev B 135:0"});
  ASSERT_TRUE(System().CheckSetup());
  EXPECT_TRUE(Service().ValidPort(0, 0));
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"b-again"});
  ASSERT_EQ(Service().SendMidiMsg(0, message, 3), 0);
  EXPECT_EQ(mScript->Sent().back().first, "b-again");

  const std::vector<std::pair<OSType, long>> expected(
      2, {COSXMidiService::kClassID, kMidiSetupChanged});
  EXPECT_EQ(watcher.heard, expected);
}

TEST_F(ServiceTest, AChoiceMadeInThisRunOutlivesASetupChange) {
  SetUpService(Settings(SourceID(0), DestinationID(0)));
  Service().SelectInportDeviceMenu(0, 4);   // Dev C
  Service().SelectOutportDeviceMenu(0, 3);  // Dev B
  mScript->sources.push_back({"new", "New:New 140:0"});
  ASSERT_TRUE(System().CheckSetup());
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});
  EXPECT_EQ(Service().GetInportUniqueID(0), SourceID(2));
  EXPECT_EQ(Service().GetOutportUniqueID(0), DestinationID(1));
  EXPECT_TRUE(Service().ValidOutport(0));
}

TEST_F(ServiceTest, TheMainThreadsTurnsLookForSetupChangesAboutOnceASecond) {
  SetUpService();
  CRecordingWatcher watcher;
  mScript->sources.push_back({"new", "New:New 140:0"});
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  mNow += CMidiSystem::kSetupPollTicks - 1;
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_TRUE(watcher.heard.empty());
  mNow += 1;
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_EQ(watcher.heard.size(), 1u);

  Service().Release();
  mScript->sources.pop_back();
  mNow += CMidiSystem::kSetupPollTicks;
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_EQ(watcher.heard.size(), 1u);
}

TEST_F(ServiceTest, BeingMadeCurrentSetsTheServiceUpAndDestroyingItLeavesNoneCurrent) {
  COSXMidiService& service = Service();
  CMidiOperation::SetCurrent(&service);
  EXPECT_TRUE(service.IsUsable());
  EXPECT_EQ(CMidiOperation::GetCurrentClassID(), COSXMidiService::kClassID);
  EXPECT_EQ(LString::ToStd(CMidiOperation::GetCurrentSystemName()), "MacOS X MIDI Service");
  mService.reset();
  EXPECT_EQ(CMidiOperation::GetCurrent(), nullptr);
}

}  // namespace
