// The main window's size, place and caption display, remembered in kvx-editor.conf.
#include "EditorTestSupport.h"
#include "app/CEditorDoc.h"
#include "app/UWindowSettings.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

#include <fstream>
#include <iterator>

namespace kvxtest {
namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteSettings(const std::string& text) {
  const fs::path file = UWindowSettings::FilePath().toStdString();
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

TEST_F(EditorTest, TheWindowOpensAsItWasLeftUnlessTheSettingsAreDamaged) {
  StartEditor();
  const QSize defaultSize = Doc().GetMainWindow()->size();
  QuitEditor();
  const std::string preferences = ReadAll(PreferenceFile());
  const QRect changed(40, 60, defaultSize.width() + 20, defaultSize.height() + 30);
  StartEditor();
  Doc().GetMainWindow()->setGeometry(changed);
  Command(cmd_ShowCaptions);
  QuitEditor();
  EXPECT_EQ(ReadAll(PreferenceFile()), preferences) << "the preference file stays as it was";
  StartEditor();
  EXPECT_EQ(Doc().GetMainWindow()->geometry(), changed);
  EXPECT_TRUE(Doc().GetMainWindow()->GetPicture()->IsMessageVisible());
  QuitEditor();

  const std::string damagedFiles[] = {
      "[MainWindow]\nx=left\ny=10\nwidth=800\nheight=300\nshowCaptions=yes\n",
      "[MainWindow]\nx=0\ny=0\nwidth=800\nheight=-300\n",
      "[MainWindow]\nx=99999999999\ny=0\nwidth=800\nheight=300\n",
      std::string("[MainWindow]\nx=\x01\xff\ny=\0\n", 22)};
  for (const std::string& damaged : damagedFiles) {
    WriteSettings(damaged);
    EXPECT_FALSE(UWindowSettings::Load().geometry.has_value()) << damaged;
    EXPECT_FALSE(UWindowSettings::Load().showCaptions) << damaged;
  }
  WriteSettings("[MainWindow]\nx=-5000\ny=-5000\nwidth=900\nheight=400\n");
  StartEditor();
  EXPECT_EQ(Doc().GetMainWindow()->size(), defaultSize) << "off every screen: the default";
}

TEST(UWindowSettings, StoredGeometryIsUsedOnlyWhereAScreenShowsIt) {
  const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 1024)};
  const struct {
    const char* name;
    QRect stored;
    bool usable;
  } rows[] = {
      {"on the first screen", QRect(100, 100, 900, 400), true},
      {"on the second screen", QRect(2000, 300, 900, 400), true},
      {"mostly off the left edge, its top still grabbable", QRect(-830, 100, 900, 400), true},
      {"off the left edge", QRect(-880, 100, 900, 400), false},
      {"above the second screen, beside the first", QRect(3000, 100, 900, 400), false},
      {"its top above the screen", QRect(100, -20, 900, 400), false},
      {"smaller than the window can be", QRect(100, 100, 500, 400), false},
      {"larger than any screen", QRect(0, 0, 4000, 3000), false},
  };
  for (const auto& row : rows) {
    const auto usable = UWindowSettings::UsableGeometry(row.stored, QSize(550, 250), screens);
    EXPECT_EQ(usable.value_or(QRect()), row.usable ? row.stored : QRect()) << row.name;
  }
}

}  // namespace
}  // namespace kvxtest
