// kvx-editor itself: started on an example patch it quits after the first paint and writes
// its preference file; under a virtual X server --screenshot paints the main window with the
// patch's captions and saves it as a PNG in the build folder.
#include "mainwindow/CMainPicture.h"
#include "support/StTempFolder.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QSize>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The fixed size of the device picture (pane 2 of the main window's layout).
// The device drawing's own size: the main window opens with the picture at that size.
QSize PictureSize() {
  QFile drawing(QStringLiteral(":/device/kvx-device.svg"));
  if (!drawing.open(QIODevice::ReadOnly)) return {};
  const QRegularExpression size(QStringLiteral(R"re(<svg[^>]*\swidth="(\d+)"\s+height="(\d+)")re"));
  const auto match = size.match(QString::fromUtf8(drawing.readAll()));
  if (!match.hasMatch()) return {};
  return {match.captured(1).toInt(), match.captured(2).toInt()};
}

// Runs `command` and returns its exit status and output.
std::pair<int, std::string> RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, output};
  std::array<char, 512> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The environment of a run: its own preferences, only the built-in MIDI device.
std::string Environment(const kvxtest::StTempFolder& config, const char* platform) {
  // Under the leak checker, the X11 platform's system libraries are left out.
  return "env -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" + config.Path().string() +
         "' KVX_MIDI_SYSTEM=none QT_QPA_PLATFORM=" + platform +
         " LSAN_OPTIONS=suppressions=" KVX_LSAN_SUPPRESSIONS ":print_suppressions=0 ";
}

std::string ExamplePatch() { return std::string(KVX_EXAMPLES_BINARY_DIR) + "/synth-setup.mid"; }

TEST(Program, StartsOnAPatchAndQuitsAfterTheFirstPaintWritingItsPreferences) {
  kvxtest::StTempFolder config;
  const auto [status, output] =
      RunCommand(Environment(config, "offscreen") + "timeout 60 '" + KVX_EDITOR_PATH +
                 "' --quit-after-first-paint '" + ExamplePatch() + "' 2>&1");
  ASSERT_EQ(status, 0) << output;
  std::ifstream file(config / "KVX Editor V2 Prefs", std::ios::binary);
  const std::string preferences((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(preferences.find("Recent File 1 = 0, " + std::string(KVX_EXAMPLES_BINARY_DIR) +
                             ", synth-setup.mid\r\n"),
            std::string::npos)
      << preferences;
  EXPECT_NE(preferences.find("[MIDI Service Settings]"), std::string::npos) << preferences;
}

// The options are read while the MIDI system opens on another thread: whatever the options
// say, the program ends by returning from main, with these statuses.
TEST(Program, AnswersHelpAndVersionAndRefusesAnUnknownOption) {
  struct SRow {
    const char* option;
    int status;
    const char* said;
  };
  const SRow rows[] = {
      {"--version", 0, "KVX Editor 2.0.0\n"},
      {"--help", 0, "--screenshot <FILE>"},
      {"--no-such-option", 1, "kvx-editor: Unknown option 'no-such-option'."},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.option);
    kvxtest::StTempFolder config;
    const auto [status, output] = RunCommand(Environment(config, "offscreen") + "timeout 60 '" +
                                             KVX_EDITOR_PATH + "' " + row.option + " 2>&1");
    EXPECT_EQ(status, row.status) << output;
    EXPECT_NE(output.find(row.said), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(config / "KVX Editor V2 Prefs"))
        << "no application was started";
  }
}

TEST(Screenshot, TheMainWindowWithCaptionsUnderAVirtualXServer) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xvfb-run is not installed";
  kvxtest::StTempFolder config;
  const std::string png = KVX_SCREENSHOT_PATH;
  std::remove(png.c_str());
  const std::string command = Environment(config, "xcb") +
                              "timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' '" +
                              KVX_EDITOR_PATH + "' --show-captions --screenshot '" + png + "' '" +
                              ExamplePatch() + "' 2>&1";
  const auto [status, output] = RunCommand(command);
  ASSERT_EQ(status, 0) << output;

  const QRegularExpression reported(QStringLiteral("main window \\((\\d+)x(\\d+)\\) saved to "));
  const auto match = reported.match(QString::fromStdString(output));
  ASSERT_TRUE(match.hasMatch()) << output;
  const QSize windowSize(match.captured(1).toInt(), match.captured(2).toInt());

  const QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull()) << png;
  EXPECT_EQ(image.size(), windowSize);
  const QSize picture = PictureSize();
  ASSERT_TRUE(picture.isValid());
  EXPECT_GE(image.width(), picture.width());
  EXPECT_GT(image.height(), picture.height()) << "the title field is above the picture";
  EXPECT_LT(image.width(), 2 * picture.width()) << "the window fits the picture";

  // A drawn window, not an empty one: the picture's many colours, and the captions' boxes in
  // the colours of their ports.
  QSet<QRgb> captionColours;
  for (const RGBColor& colour : color_MsgBoxContent) captionColours.insert(colour.ToQColor().rgb());
  QSet<QRgb> colours;
  int captionPixels = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb colour = image.pixel(x, y) | 0xFF000000u;
      colours.insert(colour);
      if (captionColours.contains(colour)) ++captionPixels;
    }
  }
  EXPECT_GT(colours.size(), 64);
  EXPECT_GT(captionPixels, 50 * 100) << "the 50 captions are shown";
}

}  // namespace
