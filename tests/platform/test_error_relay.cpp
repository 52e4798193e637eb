#include "midi/platform/CMidiErrorRelay.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(MidiErrorRelay, MainThreadErrorsAreHandedOnAtOnce) {
  CMidiErrorRelay relay;
  std::vector<std::string> seen;
  relay.SetHandler([&seen](const std::string& message) { seen.push_back(message); });
  relay.Report("port refused");
  EXPECT_EQ(seen, std::vector<std::string>{"port refused"});
  EXPECT_EQ(relay.GetLastError(), "port refused");
}

TEST(MidiErrorRelay, OtherThreadsWaitForDeliverAndOverflowIsCounted) {
  CMidiErrorRelay relay;
  std::vector<std::string> seen;
  relay.SetHandler([&seen](const std::string& message) { seen.push_back(message); });
  std::thread other([&relay] {
    for (int i = 0; i < 10; ++i) relay.Report("error " + std::to_string(i));
    relay.Report(std::string(400, 'x'));
  });
  other.join();
  EXPECT_TRUE(seen.empty());
  relay.Deliver();
  ASSERT_EQ(seen.size(), 8u);  // the slots there are; the rest was dropped and counted
  EXPECT_EQ(relay.GetDroppedCount(), 3u);
  std::thread again([&relay] { relay.Report(std::string(400, 'y')); });
  again.join();
  relay.Deliver();
  EXPECT_EQ(seen.back(), std::string(256, 'y'));  // cut to the slot
}

// A MIDI system may be made on another thread while the program starts, then taken over.
TEST(MidiErrorRelay, TheThreadThatAdoptsTheRelayBecomesItsMainThread) {
  std::unique_ptr<CMidiErrorRelay> relay;
  std::thread maker([&relay] { relay = std::make_unique<CMidiErrorRelay>(); });
  maker.join();
  std::vector<std::string> seen;
  relay->SetHandler([&seen](const std::string& message) { seen.push_back(message); });
  relay->Report("before");
  EXPECT_TRUE(seen.empty()) << "not yet this thread's";
  relay->AdoptCallingThread();
  relay->Report("after");
  EXPECT_EQ(seen, std::vector<std::string>{"after"});
  relay->Deliver();
  EXPECT_EQ(seen, (std::vector<std::string>{"after", "before"}));
  std::thread other([&relay] { relay->Report("from the MIDI thread"); });
  other.join();
  EXPECT_EQ(seen.size(), 2u);
  relay->Deliver();
  EXPECT_EQ(seen.back(), "from the MIDI thread");
}

TEST(MidiErrorRelay, AThrowingHandlerDoesNotEscape) {
  CMidiErrorRelay relay;
  relay.SetHandler([](const std::string&) { throw std::runtime_error("handler"); });
  EXPECT_NO_THROW(relay.Report("x"));
}

}  // namespace
