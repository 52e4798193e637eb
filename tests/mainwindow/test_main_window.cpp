// The main window: its layout, the keys that move the selection and clear assignments, the
// assignment clipboard, the title field, and dropped files.
#include "MainWindowTestSupport.h"

#include "framework/core/LString.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UPeriodicals.h"
#include "framework/ui/UScrap.h"
#include "mainwindow/HotAreaInfo.h"
#include "support/CPatchCmdEditField.h"
#include "support/RecordingAlertPresenter.h"
#include "support/UCustomKeyFilters.h"
#include "utilities/UAlert.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using kvxtest::Assign;
using kvxtest::DropFiles;
using kvxtest::MainWindowTest;
using kvxtest::SameBytes;
using kvxtest::StoredRecord;

constexpr ResType kRecordFlavor = FourCC("Pprm");

struct SStatus {
  bool enabled = false;
  bool usesMark = false;
  std::uint16_t mark = noMark;
  std::string name;
};

// What the menus see for `command`, asking the target first.
SStatus StatusOf(CommandT command) {
  SStatus status;
  Str255 name = {0};
  LCommander::GetTarget()->FindCommandStatus(command, status.enabled, status.usesMark, status.mark, name);
  status.name = LString::ToStd(name);
  return status;
}

// --- layout

TEST_F(MainWindowTest, TheWindowHoldsTheTitleFieldAndFitsThePicture) {
  auto* field = dynamic_cast<CPatchCmdEditField*>(window->GetTitleField());
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->GetPaneID(), CMainWindow::kTitleFieldID);
  EXPECT_EQ(field->GetValueMessage(), msg_TitleChanged);
  EXPECT_EQ(field->GetKeyFilter(), static_cast<TEKeyFilterFunc>(&UCustomKeyFilters::ASCIICharField));
  EXPECT_EQ(picture->GetPaneID(), CMainWindow::kPictureID);
  EXPECT_EQ(picture->GetClickedMessage(), msg_ControllerClicked);
  EXPECT_EQ(picture->size(), QSize(712, 206));
  EXPECT_TRUE(window->rect().contains(picture->geometry()));
  EXPECT_LT(window->width(), 712 + 60) << "no more room around the picture than margins";
  EXPECT_FALSE(window->IsBusy());
}

// --- keys

TEST_F(MainWindowTest, CtrlFAndCtrlBStepThroughTheControllersAndWrap) {
  struct SRow {
    const char* name;
    long selected;
    int key;
    long expected;
  };
  const SRow rows[] = {
      {"Ctrl-F with none selected", -1, Qt::Key_F, 0},
      {"Ctrl-B with none selected", -1, Qt::Key_B, 0},
      {"Ctrl-F", 5, Qt::Key_F, 6},
      {"Ctrl-B", 5, Qt::Key_B, 4},
      {"Ctrl-F from the last", 49, Qt::Key_F, 0},
      {"Ctrl-B from the first", 0, Qt::Key_B, 49},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    picture->SetHiliteArea(row.selected);
    TypeKey(row.key, Qt::ControlModifier);
    EXPECT_EQ(picture->GetHiliteArea(), row.expected);
  }
}

TEST_F(MainWindowTest, FAndBWithoutCtrlAreSwallowed) {
  picture->SetHiliteArea(7);
  for (int key : {Qt::Key_F, Qt::Key_B}) {
    const EventRecord record = [&] {
      EventRecord r;
      r.what = keyDown;
      r.message = key == Qt::Key_F ? 'f' : 'b';
      return r;
    }();
    EXPECT_TRUE(window->HandleKeyPress(record));
    EXPECT_EQ(picture->GetHiliteArea(), 7);
  }
}

TEST_F(MainWindowTest, BackspaceClearsTheSelectedAssignmentOnly) {
  Assign(patch, 3, StoredRecord(msgType_CC, 2, 0, {7}));
  Assign(patch, 4, StoredRecord(msgType_Note, 0, 1, {60}));
  TypeKey(Qt::Key_Backspace);
  EXPECT_EQ(patch.GetAssignMessage(3), msgType_CC) << "no selection: nothing to clear";

  picture->SetHiliteArea(3);
  TypeKey(Qt::Key_Backspace);
  EXPECT_TRUE(SameBytes(*patch.GetParam(3), SPatchParam{}));
  EXPECT_EQ(patch.GetAssignMessage(4), msgType_Note);
}

// --- the assignment clipboard

TEST_F(MainWindowTest, CopyAndPasteCarryTheWholeRecordByteForByte) {
  const SPatchParam record = StoredRecord(msgType_FixedBankPC, 9, 1, {4, 80, 0}, "Strings");
  Assign(patch, 10, record);
  picture->SetHiliteArea(10);
  window->ObeyCommand(cmd_CopyPatchParam, nullptr);

  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(UScrap::GetData(kRecordFlavor, &bytes), 168);
  EXPECT_EQ(std::memcmp(bytes.data(), &record, 168), 0);

  picture->SetHiliteArea(44);
  window->ObeyCommand(cmd_PastePatchParam, nullptr);
  EXPECT_TRUE(SameBytes(*patch.GetParam(44), record));
  EXPECT_TRUE(SameBytes(*patch.GetParam(10), record));
}

TEST_F(MainWindowTest, PasteTakesOnlyRecordsOfTheRightSize) {
  const SPatchParam before = StoredRecord(msgType_CC, 0, 0, {1});
  Assign(patch, 2, before);
  picture->SetHiliteArea(2);
  for (std::size_t size : {0u, 167u, 169u, 336u}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> bytes(size, 0x07);
    UScrap::SetData(kRecordFlavor, bytes.data(), static_cast<std::int32_t>(size));
    window->ObeyCommand(cmd_PastePatchParam, nullptr);
    EXPECT_TRUE(SameBytes(*patch.GetParam(2), before));
  }
}

TEST_F(MainWindowTest, AssignmentCommandsNeedASelectionAndPasteAlsoARecord) {
  UScrap::ClearData();
  struct SRow {
    const char* name;
    std::function<void()> setUp;
    bool copy;
    bool paste;
    bool clear;
  };
  const SRow rows[] = {
      {"nothing selected, nothing copied", [&] { picture->SetHiliteArea(-1); }, false, false, false},
      {"selected, nothing copied", [&] { picture->SetHiliteArea(1); }, true, false, true},
      {"selected, a record copied", [&] { window->ObeyCommand(cmd_CopyPatchParam, nullptr); }, true, true, true},
      {"a record copied, nothing selected", [&] { picture->SetHiliteArea(-1); }, false, false, false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    row.setUp();
    EXPECT_EQ(StatusOf(cmd_CopyPatchParam).enabled, row.copy);
    EXPECT_EQ(StatusOf(cmd_PastePatchParam).enabled, row.paste);
    EXPECT_EQ(StatusOf(cmd_DeletePatchParam).enabled, row.clear);
  }
  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 4).Std());
  EXPECT_EQ(StatusOf(cmd_DeletePatchParam).name, LStr255(1000, 6).Std());
  EXPECT_EQ(StatusOf(cmd_CopyPatchParam).name, "");
}

TEST_F(MainWindowTest, CaptionsToggleWithACheckMark) {
  EXPECT_TRUE(StatusOf(cmd_ShowCaptions).enabled);
  EXPECT_TRUE(StatusOf(cmd_ShowCaptions).usesMark);
  EXPECT_EQ(StatusOf(cmd_ShowCaptions).mark, noMark);
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  EXPECT_TRUE(picture->IsMessageVisible());
  EXPECT_EQ(StatusOf(cmd_ShowCaptions).mark, checkMark);
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  EXPECT_FALSE(picture->IsMessageVisible());
  EXPECT_TRUE(StatusOf(cmd_SendPatch).enabled);
  EXPECT_TRUE(StatusOf(cmd_RequestPatch).enabled);
}

// --- the title field

TEST_F(MainWindowTest, TypingATitleSetsThePatchTitleInPrintableASCIIOnly) {
  QLineEdit* line = window->GetTitleField()->GetLineEdit();
  line->setFocus();
  QTest::keyClicks(line, QStringLiteral("Set ~1"));
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
  QCoreApplication::sendEvent(line, &accented);  // é: no 7-bit character
  EXPECT_EQ(line->text(), QStringLiteral("Set ~1"));
  EXPECT_EQ(LString::ToStd(patch.PatchTitle()), "Set ~1");
  EXPECT_TRUE(patch.IsModified());
}

TEST_F(MainWindowTest, ALoadedTitleFillsTheFieldWithoutModifyingThePatch) {
  CPatch source;
  source.SetPatchTitle(LStr255("Live Rig"));
  Assign(source, 0, StoredRecord(msgType_CC, 0, 0, {7}));
  ASSERT_EQ(patch.LoadSMFData(source.MakeSMFData()), 0);
  EXPECT_EQ(window->GetTitleField()->GetText(), QStringLiteral("Live Rig"));
  EXPECT_FALSE(patch.IsModified());

  patch.InitAllParams();
  EXPECT_EQ(window->GetTitleField()->GetText(), QString());
  EXPECT_FALSE(patch.IsModified());
}

TEST_F(MainWindowTest, WhileTheTitleFieldHasTheFocusAssignmentCommandsEditItsText) {
  Assign(patch, 6, StoredRecord(msgType_CC, 0, 0, {7}));
  picture->SetHiliteArea(6);
  QLineEdit* line = window->GetTitleField()->GetLineEdit();
  line->setText(QStringLiteral("abc"));
  line->setFocus();
  LCommander::SwitchTarget(window->GetTitleField());
  QApplication::clipboard()->setText(QStringLiteral("XY"));

  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 5).Std());
  EXPECT_EQ(StatusOf(cmd_DeletePatchParam).name, LStr255(1000, 7).Std());
  EXPECT_TRUE(StatusOf(cmd_PastePatchParam).enabled);
  EXPECT_FALSE(StatusOf(cmd_CopyPatchParam).enabled) << "no text is selected";

  LCommander::GetTarget()->ObeyCommand(cmd_PastePatchParam, nullptr);
  EXPECT_EQ(line->text(), QStringLiteral("abcXY"));
  line->selectAll();
  LCommander::GetTarget()->ObeyCommand(cmd_DeletePatchParam, nullptr);
  EXPECT_EQ(line->text(), QString());
  EXPECT_EQ(patch.GetAssignMessage(6), msgType_CC) << "the assignment is untouched";

  // A click on the picture gives the commands back to the window.
  const Rect& hot = kHotAreaInfo[20].hotRect;
  ClickPicture(Point{static_cast<std::int16_t>(hot.top + 2), static_cast<std::int16_t>(hot.left + 2)});
  EXPECT_TRUE(window->IsTarget());
  EXPECT_EQ(picture->GetHiliteArea(), 20);
  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 4).Std());
}

TEST_F(MainWindowTest, CtrlASelectsTheWholeTitle) {
  QLineEdit* line = window->GetTitleField()->GetLineEdit();
  line->setText(QStringLiteral("Drums"));
  line->setFocus();
  line->setCursorPosition(2);
  QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(line->selectedText(), QStringLiteral("Drums"));
}

// --- drops

TEST_F(MainWindowTest, OnlyTheFirstDroppedFileIsOpenedOnTheNextPassOfTheLoop) {
  ASSERT_TRUE(DropFiles(*window, {"/tmp/a.mid", "/tmp/b.mid", "/tmp/c.mid"}));
  EXPECT_TRUE(root.droppedFiles.empty()) << "not while the drop is being handled";
  EXPECT_TRUE(window->IsBusy());
  EXPECT_FALSE(DropFiles(*window, {"/tmp/d.mid"})) << "one dropped file waits at a time";

  UPeriodicals::DevoteTime();
  ASSERT_EQ(root.droppedFiles.size(), 1u);
  EXPECT_EQ(root.droppedFiles[0].Path(), "/tmp/a.mid");
  EXPECT_FALSE(window->IsBusy());
  UPeriodicals::DevoteTime();
  EXPECT_EQ(root.droppedFiles.size(), 1u) << "opened once";

  ASSERT_TRUE(DropFiles(*window->GetTitleField()->GetLineEdit(), {"/tmp/e.mid"})) << "the field leaves drops to the window";
  UPeriodicals::DevoteTime();
  ASSERT_EQ(root.droppedFiles.size(), 2u);
  EXPECT_EQ(root.droppedFiles[1].Path(), "/tmp/e.mid");
}

TEST_F(MainWindowTest, DropsOfAnythingButFilesAreRefused) {
  EXPECT_FALSE(DropFiles(*window, {"https://example.org/p.mid"}));
  EXPECT_FALSE(DropFiles(*window, {"/tmp/a.mid", "https://example.org/p.mid"}));
  UPeriodicals::DevoteTime();
  EXPECT_TRUE(root.droppedFiles.empty());
}

// An alert presenter that tries a drop while its alert is up.
class CDroppingAlertPresenter final : public LAlertPresenter {
 public:
  explicit CDroppingAlertPresenter(QWidget& target) : mTarget(target) {}
  void CautionAlert(ResIDT, const std::string&) override { accepted = DropFiles(mTarget, {"/tmp/a.mid"}); }
  bool accepted = true;

 private:
  QWidget& mTarget;
};

TEST_F(MainWindowTest, ADropWhileAnAlertIsUpIsRefused) {
  CDroppingAlertPresenter presenter(*window);
  StAlertPresenter installed(&presenter);
  UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
  EXPECT_FALSE(presenter.accepted);
  UPeriodicals::DevoteTime();
  EXPECT_TRUE(root.droppedFiles.empty());
}

}  // namespace
