// The main window's size, place and caption display, remembered in kvx-editor.conf.
#include <QFile>
#include <fstream>
#include <iterator>

#include "EditorTestSupport.h"
#include "app/CEditorDoc.h"
#include "app/UWindowSettings.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

namespace kvxtest {
namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class WindowSettingsTest : public EditorTest {
 protected:
  void WriteSettings(const std::string& text) {
    const fs::path file = UWindowSettings::FilePath().toStdString();
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
};

TEST_F(WindowSettingsTest, WhatIsSavedIsLoadedAndDamagedValuesGiveTheDefaults) {
  UWindowSettings::Save({QRect(-300, 40, 900, 330), true});
  const auto loaded = UWindowSettings::Load();
  EXPECT_EQ(loaded.geometry, QRect(-300, 40, 900, 330));
  EXPECT_TRUE(loaded.showCaptions);

  struct SRow {
    const char* name;
    std::string text;
  };
  const SRow rows[] = {
      {"empty file", ""},
      {"words for numbers",
       "[MainWindow]\nx=left\ny=10\nwidth=800\nheight=300\nshowCaptions=yes\n"},
      {"a size of none", "[MainWindow]\nx=0\ny=0\nwidth=0\nheight=300\n"},
      {"a negative size", "[MainWindow]\nx=0\ny=0\nwidth=800\nheight=-300\n"},
      {"a part missing", "[MainWindow]\nx=0\nwidth=800\nheight=300\n"},
      {"beyond int", "[MainWindow]\nx=99999999999\ny=0\nwidth=800\nheight=300\n"},
      {"binary", std::string("[MainWindow]\nx=\x01\xff\ny=\0\n", 22)},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    WriteSettings(row.text);
    const auto state = UWindowSettings::Load();
    EXPECT_FALSE(state.geometry.has_value());
    EXPECT_FALSE(state.showCaptions);
  }
}

TEST(UWindowSettings, StoredGeometryIsUsedOnlyWhereAScreenShowsIt) {
  const QSize minimum(550, 250);
  const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 1024)};
  struct SRow {
    const char* name;
    QRect stored;
    bool usable;
  };
  const SRow rows[] = {
      {"on the first screen", QRect(100, 100, 900, 400), true},
      {"on the second screen", QRect(2000, 300, 900, 400), true},
      {"mostly off the left edge, its top still grabbable", QRect(-830, 100, 900, 400), true},
      {"off the left edge", QRect(-880, 100, 900, 400), false},
      {"above the second screen, beside the first", QRect(3000, 100, 900, 400), false},
      {"its top above the screen", QRect(100, -20, 900, 400), false},
      {"below every screen", QRect(100, 5000, 900, 400), false},
      {"smaller than the window can be", QRect(100, 100, 500, 400), false},
      {"larger than any screen", QRect(0, 0, 4000, 3000), false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const auto usable = UWindowSettings::UsableGeometry(row.stored, minimum, screens);
    EXPECT_EQ(usable.has_value(), row.usable);
    if (usable) {
      EXPECT_EQ(*usable, row.stored);
    }
  }
}

TEST_F(WindowSettingsTest, TheEditorOpensAsItWasLeftAndThePreferenceFileIsUnchanged) {
  StartEditor();
  const QSize defaultSize = Doc().GetMainWindow()->size();
  QuitEditor();
  const std::string preferences = ReadAll(PreferenceFile());

  StartEditor();
  Doc().GetMainWindow()->setGeometry(40, 60, defaultSize.width() + 20, defaultSize.height() + 30);
  Command(cmd_ShowCaptions);
  QuitEditor();
  EXPECT_EQ(ReadAll(PreferenceFile()), preferences);

  StartEditor();
  CMainWindow& window = *Doc().GetMainWindow();
  EXPECT_EQ(window.geometry(), QRect(40, 60, defaultSize.width() + 20, defaultSize.height() + 30));
  EXPECT_TRUE(window.GetPicture()->IsMessageVisible());
  QuitEditor();

  WriteSettings("[MainWindow]\nx=-5000\ny=-5000\nwidth=20\nheight=nine\n");
  StartEditor();
  EXPECT_EQ(Doc().GetMainWindow()->size(), defaultSize) << "damaged: the default size";
  EXPECT_FALSE(Doc().GetMainWindow()->GetPicture()->IsMessageVisible());
}

}  // namespace
}  // namespace kvxtest
