#include "midi/platform/UMidiEndpointNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct SStableNameRow {
  const char* name;
  const char* systemName;
  const char* stableName;
  const char* displayName;
};

const SStableNameRow kStableNameRows[] = {
    {"ALSA address removed", "USB Keyboard:USB Keyboard MIDI 1 24:0", "USB Keyboard:USB Keyboard MIDI 1",
     "USB Keyboard MIDI 1"},
    {"ALSA two-digit port", "Synth:Synth Port 128:10", "Synth:Synth Port", "Synth Port"},
    {"ALSA through port", "Midi Through:Midi Through Port-0 14:0",
     "Midi Through:Midi Through Port-0", "Midi Through Port-0"},
    {"JACK clash suffix removed", "KVX Virtual Device-01:KVX Virtual Device",
     "KVX Virtual Device:KVX Virtual Device", "KVX Virtual Device"},
    {"JACK plain", "system:midi_capture_1", "system:midi_capture_1", "system:midi_capture_1"},
    {"a2jmidid client number removed", "a2j:Midi Through [14] (capture): Midi Through Port-0",
     "a2j:Midi Through (capture): Midi Through Port-0",
     "a2j:Midi Through (capture): Midi Through Port-0"},
    {"a suffix in the port name stays", "Foo:Bar-01", "Foo:Bar-01", "Foo:Bar-01"},
    {"numbers inside a name stay", "Synth 2000:Out 3", "Synth 2000:Out 3", "Synth 2000:Out 3"},
    {"no client part", "KVX Virtual Device (built-in)", "KVX Virtual Device (built-in)",
     "KVX Virtual Device (built-in)"},
};

TEST(MidiEndpointNames, StableAndDisplayNames) {
  for (const auto& row : kStableNameRows) {
    SCOPED_TRACE(row.name);
    const std::string stable = UMidiEndpointNames::StableName(row.systemName);
    EXPECT_EQ(stable, row.stableName);
    EXPECT_EQ(UMidiEndpointNames::DisplayName(stable), row.displayName);
  }
}

struct SSameIDRow {
  const char* name;
  const char* first;
  const char* second;
};

// The same device named in two sessions gets the same ID.
const SSameIDRow kSameIDRows[] = {
    {"ALSA client renumbered", "KVX:KVX MIDI 1 128:0", "KVX:KVX MIDI 1 129:0"},
    {"ALSA port renumbered", "KVX:KVX MIDI 1 20:0", "KVX:KVX MIDI 1 20:1"},
    {"JACK clash suffix", "KVX Virtual Device:KVX Virtual Device",
     "KVX Virtual Device-02:KVX Virtual Device"},
    {"a2jmidid client number", "a2j:KVX [20] (capture): KVX MIDI 1",
     "a2j:KVX [24] (capture): KVX MIDI 1"},
};

TEST(MidiEndpointNames, SameDeviceKeepsItsIDAcrossSessions) {
  for (const auto& row : kSameIDRows) {
    SCOPED_TRACE(row.name);
    for (const auto direction : {EMidiDirection::Source, EMidiDirection::Destination}) {
      const auto first = UMidiEndpointNames::AssignUniqueIDs(
          direction, {UMidiEndpointNames::StableName(row.first)});
      const auto second = UMidiEndpointNames::AssignUniqueIDs(
          direction, {UMidiEndpointNames::StableName(row.second)});
      EXPECT_EQ(first, second);
    }
  }
}

struct SGoldenIDRow {
  EMidiDirection direction;
  const char* stableName;
  unsigned occurrence;
  MIDIUniqueID id;
};

// Preference files keep these numbers: a change of the hash would lose every stored choice.
const SGoldenIDRow kGoldenIDRows[] = {
    {EMidiDirection::Source, "KVX Virtual Device (built-in)", 0, 775592850},
    {EMidiDirection::Destination, "KVX Virtual Device (built-in)", 0, -214162785},
    {EMidiDirection::Source, "KVX Virtual Device:KVX Virtual Device", 0, -2077740979},
    {EMidiDirection::Destination, "KVX Virtual Device:KVX Virtual Device", 0, 914563172},
    {EMidiDirection::Source, "Twin:Twin MIDI 1", 1, -1689457135},
};

TEST(MidiEndpointNames, IDsKeepTheirValues) {
  for (const auto& row : kGoldenIDRows) {
    SCOPED_TRACE(row.stableName);
    EXPECT_EQ(UMidiEndpointNames::MakeUniqueID(row.direction, row.stableName, row.occurrence),
              row.id);
  }
}

TEST(MidiEndpointNames, EqualNamesGetDistinctIDsInListingOrder) {
  const std::vector<std::string> names = {"Twin:Twin MIDI 1", "Other:Other", "Twin:Twin MIDI 1",
                                          "Twin:Twin MIDI 1"};
  const auto ids = UMidiEndpointNames::AssignUniqueIDs(EMidiDirection::Source, names);
  ASSERT_EQ(ids.size(), 4u);
  EXPECT_EQ(std::set<MIDIUniqueID>(ids.begin(), ids.end()).size(), 4u);
  // The first of the twins has the ID it would have alone; the later ones follow their order.
  EXPECT_EQ(ids[0], UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, names[0], 0));
  EXPECT_EQ(ids[2], UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, names[0], 1));
  EXPECT_EQ(ids[3], UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, names[0], 2));
  // Other endpoints between the twins do not change the count.
  const auto alone = UMidiEndpointNames::AssignUniqueIDs(EMidiDirection::Source,
                                                         {names[0], names[0], names[0]});
  EXPECT_EQ(alone[1], ids[2]);
}

TEST(MidiEndpointNames, SourceAndDestinationOfOneDeviceDiffer) {
  EXPECT_NE(UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, "KVX:KVX", 0),
            UMidiEndpointNames::MakeUniqueID(EMidiDirection::Destination, "KVX:KVX", 0));
}

TEST(MidiEndpointNames, ACountedNameCannotBeImitated) {
  EXPECT_NE(UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, "Twin", 1),
            UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, "Twin1", 0));
  EXPECT_NE(UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, "Twin", 1),
            UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, "Twin#1", 0));
}

TEST(MidiEndpointNames, NeverZero) {
  for (unsigned i = 0; i < 20000; ++i) {
    ASSERT_NE(UMidiEndpointNames::MakeUniqueID(EMidiDirection::Destination,
                                               "Port " + std::to_string(i), i % 3),
              0);
  }
}

}  // namespace
