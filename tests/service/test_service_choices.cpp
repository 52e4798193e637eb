// The device menus, choosing endpoints by name or unique ID, and the choices in the
// preference data.
#include "ServiceTestSupport.h"

#include "midi/SDeviceMenu.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace kvxtest;
using EMatch = COSXMidiService::EEndpointMatch;

std::vector<std::string> Items(const SDeviceMenu& menu) { return menu.items; }

TEST_F(ServiceTest, DeviceMenusListTheEndpointsAfterNoDeviceAndSelectTheChosenOne) {
  SetUpService(Settings(SourceID(1), 0));
  std::int16_t item = 0;
  const auto inputs = Service().CreateInportDeviceMenu(0, item);
  ASSERT_NE(inputs, nullptr);
  EXPECT_EQ(Items(*inputs),
            (std::vector<std::string>{SDeviceMenu::kNoDeviceText, "Dev A", "Dev B", "Dev C"}));
  EXPECT_EQ(item, 3);
  const auto outputs = Service().CreateOutportDeviceMenu(0, item);
  ASSERT_NE(outputs, nullptr);
  EXPECT_EQ(Items(*outputs),
            (std::vector<std::string>{SDeviceMenu::kNoDeviceText, "Dev A", "Dev B"}));
  EXPECT_EQ(item, SDeviceMenu::kNoDeviceItem);
}

TEST_F(ServiceTest, AnEndpointWithoutANameKeepsItsPlaceInTheMenu) {
  mScript->sources = {{"a", "Dev A:Dev A 128:0"}, {"u", ":"}, {"c", "Dev C:Dev C 130:0"}};
  SetUpService(Settings(SourceID(2), 0));
  std::int16_t item = 0;
  const auto menu = Service().CreateInportDeviceMenu(0, item);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Items(*menu),
            (std::vector<std::string>{SDeviceMenu::kNoDeviceText, "Dev A",
                                      COSXMidiService::kUnnamedEndpointText, "Dev C"}));
  EXPECT_EQ(item, 4);
  Service().SelectInportDeviceMenu(0, item);
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});
}

TEST_F(ServiceTest, NoMenusAndNoChoiceBeforeSetUp) {
  std::int16_t item = 7;
  EXPECT_EQ(Service().CreateInportDeviceMenu(0, item), nullptr);
  EXPECT_EQ(item, SDeviceMenu::kNoDeviceItem);
  item = 7;
  EXPECT_EQ(Service().CreateOutportDeviceMenu(0, item), nullptr);
  EXPECT_EQ(item, SDeviceMenu::kNoDeviceItem);
  Service().SelectOutportDeviceMenu(0, 2);
  EXPECT_EQ(Service().GetOutportUniqueID(0), 0);

  ASSERT_EQ(Service().Setup(), 0);
  item = 7;
  EXPECT_EQ(Service().CreateInportDeviceMenu(1, item), nullptr);  // no such in-port
  EXPECT_EQ(item, SDeviceMenu::kNoDeviceItem);
}

TEST_F(ServiceTest, ChoosingAMenuItem) {
  struct SCase {
    const char* name;
    std::int16_t item;
    const char* connected;  // source key, or null
    long sourceIndex;       // -1: none
    long destinationIndex;
  };
  const SCase cases[] = {
      {"item 1 is no device", 1, nullptr, -1, -1},
      {"first endpoint", 2, "a", 0, 0},
      {"third source; there are two destinations", 4, "c", 2, -1},
      {"beyond the list", 99, nullptr, -1, -1},
      {"zero", 0, nullptr, -1, -1},
      {"negative", -3, nullptr, -1, -1},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    SetUpService(Settings(SourceID(1), DestinationID(1)));
    Service().SelectInportDeviceMenu(0, row.item);
    Service().SelectOutportDeviceMenu(0, row.item);
    EXPECT_EQ(ConnectedSources(),
              row.connected ? std::vector<std::string>{row.connected} : std::vector<std::string>{});
    EXPECT_EQ(Service().ValidInport(0), row.sourceIndex >= 0);
    EXPECT_EQ(Service().ValidOutport(0), row.destinationIndex >= 0);
    EXPECT_EQ(Service().GetInportUniqueID(0), row.sourceIndex >= 0 ? SourceID(row.sourceIndex) : 0);
    EXPECT_EQ(Service().GetOutportUniqueID(0),
              row.destinationIndex >= 0 ? DestinationID(row.destinationIndex) : 0);
    mService.reset();
  }
}

TEST_F(ServiceTest, EndpointListingForTheCommandLine) {
  mScript->sources = {
      {"a", "Dev A:Dev A 128:0"}, {"t1", "Twin:Twin 129:0"}, {"t2", "Twin:Twin 130:0"}};
  const auto listing = Service().GetEndpointListing(true);
  ASSERT_EQ(listing.size(), 3u);
  for (std::size_t i = 0; i < listing.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(listing[i].item, static_cast<std::int16_t>(i + 2));
    EXPECT_EQ(listing[i].uniqueID, SourceID(i));
  }
  EXPECT_EQ(listing[0].name, "Dev A");
  EXPECT_EQ(listing[2].name, "Twin");
  EXPECT_EQ(Service().GetEndpointListing(false).size(), 2u);
}

TEST_F(ServiceTest, FindingAnEndpointByNameOrUniqueID) {
  mScript->sources = {{"a", "Dev A:Dev A 128:0"},
                      {"t1", "Twin:Twin 129:0"},
                      {"t2", "Twin:Twin 130:0"},
                      {"n", "4711:4711 131:0"}};
  struct SCase {
    const char* name;
    std::function<std::string()> text;
    EMatch match;
    std::int16_t item;
  };
  const SCase cases[] = {
      {"unique ID", [&] { return std::to_string(SourceID(2)); }, EMatch::Found, 4},
      {"name", [] { return "Dev A"; }, EMatch::Found, 2},
      {"name of two", [] { return "Twin"; }, EMatch::Ambiguous, 1},
      {"a number that is no ID is a name", [] { return "4711"; }, EMatch::Found, 5},
      {"names compare exactly", [] { return "dev a"; }, EMatch::NotFound, 1},
      {"unknown", [] { return "Nothing"; }, EMatch::NotFound, 1},
      {"ID 0 is none", [] { return "0"; }, EMatch::NotFound, 1},
      {"ID with more behind it", [&] { return std::to_string(SourceID(0)) + "x"; },
       EMatch::NotFound, 1},
      {"empty", [] { return ""; }, EMatch::NotFound, 1},
      {"destination ID among sources", [&] { return std::to_string(DestinationID(0)); },
       EMatch::NotFound, 1},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    const auto choice = Service().FindDeviceMenuItem(true, row.text());
    EXPECT_EQ(choice.match, row.match);
    EXPECT_EQ(choice.item, row.item);
  }
}

TEST_F(ServiceTest, ChoosingEndpointsForTheCommandLine) {
  SetUpService();
  EXPECT_EQ(Service().SelectInportEndpoint(0, "Dev C"), EMatch::Found);
  EXPECT_EQ(Service().SelectOutportEndpoint(0, std::to_string(DestinationID(1))), EMatch::Found);
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});
  EXPECT_EQ(Service().GetOutportUniqueID(0), DestinationID(1));
  EXPECT_TRUE(Service().ValidPort(0, 0));

  EXPECT_EQ(Service().SelectInportEndpoint(0, "Dev Z"), EMatch::NotFound);
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});  // unchanged
}

TEST_F(ServiceTest, ChoicesAreWrittenToThePreferenceData) {
  struct SCase {
    const char* name;
    std::string before;
    std::int16_t sourceItem;  // 0: leave as loaded
    std::int16_t destinationItem;
    std::function<std::string()> after;
  };
  const SCase cases[] = {
      {"new section, new params above older ones", "", 3, 2,
       [&] {
         return "[MIDI Service Settings]\r\nDestination 0 = " + std::to_string(DestinationID(0)) +
                "\r\nSource 0 = " + std::to_string(SourceID(1)) + "\r\n\r\n";
       }},
      {"values replaced in place, other sections kept",
       "[General Settings]\r\n\r\n[MIDI Service Settings]\r\nSource 0 = 5\r\nDestination 0 = 6\r\n",
       1, 1,
       [] {
         return std::string(
             "[General Settings]\r\n\r\n[MIDI Service Settings]\r\nSource 0 = 0\r\n"
             "Destination 0 = 0\r\n");
       }},
      {"the ID of an absent device is kept", "[MIDI Service Settings]\r\nSource 0 = -123\r\n", 0, 0,
       [] {
         return std::string("[MIDI Service Settings]\r\nDestination 0 = 0\r\nSource 0 = -123\r\n");
       }},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    SetUpService(row.before);
    if (row.sourceItem != 0) Service().SelectInportDeviceMenu(0, row.sourceItem);
    if (row.destinationItem != 0) Service().SelectOutportDeviceMenu(0, row.destinationItem);
    Service().SavePreference();
    EXPECT_EQ(PreferenceText(), row.after());
    mService.reset();
  }
}

TEST_F(ServiceTest, SavedChoicesAreLoadedByTheNextRun) {
  SetUpService();
  Service().SelectInportDeviceMenu(0, 4);
  Service().SelectOutportDeviceMenu(0, 3);
  Service().SavePreference();
  mService.reset();

  COSXMidiService next(System(), 5);
  ASSERT_EQ(next.Setup(), 0);
  ASSERT_TRUE(next.LoadPreference());
  EXPECT_EQ(next.GetInportUniqueID(0), SourceID(2));
  EXPECT_EQ(next.GetOutportUniqueID(0), DestinationID(1));
  EXPECT_TRUE(next.ValidPort(0, 0));
  EXPECT_EQ(ConnectedSources(), std::vector<std::string>{"c"});
}

}  // namespace
