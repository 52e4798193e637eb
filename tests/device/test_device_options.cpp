#include "device/SDeviceOptions.h"

#include <gtest/gtest.h>

namespace {

struct SOptionsRow {
  const char* name;
  std::vector<std::string> arguments;
  bool valid;
  std::string deviceName;
  std::string patchFile;
  std::string saveFile;
  bool help;
};

const std::vector<SOptionsRow> kOptionsRows = {
    {"defaults", {}, true, "KVX Virtual Device", "", "", false},
    {"all options", {"--name", "Dev 2", "--patch", "in.mid", "--save", "out.mid"}, true, "Dev 2",
     "in.mid", "out.mid", false},
    {"help", {"--help"}, true, "KVX Virtual Device", "", "", true},
    {"missing value", {"--name"}, false, "", "", "", false},
    {"empty value", {"--save", ""}, false, "", "", "", false},
    {"unknown option", {"--port", "x"}, false, "", "", "", false},
    {"stray argument", {"file.mid"}, false, "", "", "", false},
};

TEST(DeviceOptions, ParsesTheCommandLine) {
  for (const auto& row : kOptionsRows) {
    SCOPED_TRACE(row.name);
    SDeviceOptions options;
    std::string error;
    ASSERT_EQ(SDeviceOptions::Parse(row.arguments, options, error), row.valid);
    if (!row.valid) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(options.name, row.deviceName);
    EXPECT_EQ(options.patchFile, row.patchFile);
    EXPECT_EQ(options.saveFile, row.saveFile);
    EXPECT_EQ(options.help, row.help);
  }
}

}  // namespace
