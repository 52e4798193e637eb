// Helpers of the main window's tests: the commander above the window (standing for the
// document and the application), a shown main window on a patch, paint recording, and
// mouse and key input in the window's terms.
#pragma once

#include "document/CPatch.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LCommander.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

#include <QEvent>
#include <QObject>
#include <QRegion>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace kvxtest {

// The top of the window's commander chain: it keeps every command that reaches it, and the
// file of each 'Drop'.
class CRecordingCommander final : public LCommander {
 public:
  bool ObeyCommand(CommandT command, void* param) override;

  std::vector<CommandT> commands;
  std::vector<FSSpec> droppedFiles;
};

// Collects the regions a widget is asked to paint.
class CPaintRecorder final : public QObject {
 public:
  explicit CPaintRecorder(QWidget& widget);
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Delivers pending paints (and everything else pending) and returns what they painted since
  // the last Clear.
  const QRegion& Flush();
  void Clear() { mPainted = QRegion(); }

 private:
  QWidget& mWidget;
  QRegion mPainted;
};

// A main window from layout 1000 showing a patch, shown on the offscreen screen and settled.
class MainWindowTest : public ::testing::Test {
 public:
  // Processes what is pending, deferred deletions included.
  static void Settle();

 protected:
  MainWindowTest();
  ~MainWindowTest() override;

  // Clicks the picture at a local point.
  void ClickPicture(Point local);
  // Types a key into the window (the window being the target).
  void TypeKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

  CPatch patch;
  CRecordingCommander root;
  CMainWindow* window = nullptr;  // a sub-commander of root
  CMainPicture* picture = nullptr;
};

// A record as SetParam stores it (normalised), so that comparisons see no rewriting.
SPatchParam StoredRecord(std::uint8_t msgType, std::uint8_t channel, std::uint8_t port,
                         std::initializer_list<std::uint8_t> data, const char* name = "");

inline void Assign(CPatch& patch, long index, const SPatchParam& record) {
  patch.SetParam(index, &record);
}

// Drags files (absolute paths; other texts are taken as URLs) onto `target` and drops them;
// false when the drag or the drop was refused.
bool DropFiles(QWidget& target, const QStringList& paths);

bool SameBytes(const SPatchParam& a, const SPatchParam& b);

}  // namespace kvxtest
