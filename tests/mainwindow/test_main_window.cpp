// The main window: its layout, the keys that move the selection and clear assignments, the
// assignment clipboard, the title field, and dropped files.
#include "MainWindowTestSupport.h"

#include "dialogs/assigndialog/CMsgAssignDialog.h"

#include "framework/core/LString.h"
#include "framework/core/UModalAlerts.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UPeriodicals.h"
#include "framework/ui/UScrap.h"
#include "support/CPatchCmdEditField.h"
#include "support/UCustomKeyFilters.h"
#include "utilities/UAlert.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
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
  LCommander::GetTarget()->FindCommandStatus(command, status.enabled, status.usesMark, status.mark,
                                             name);
  status.name = LString::ToStd(name);
  return status;
}

TEST_F(MainWindowTest, TheWindowFitsThePictureUnderATitleFieldOfASCIIText) {
  auto* field = dynamic_cast<CPatchCmdEditField*>(window->GetTitleField());
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->GetValueMessage(), msg_TitleChanged);
  EXPECT_EQ(field->GetKeyFilter(),
            static_cast<TEKeyFilterFunc>(&UCustomKeyFilters::ASCIICharField));
  EXPECT_EQ(picture->GetClickedMessage(), msg_ControllerClicked);
  EXPECT_EQ(picture->size(), QSize(712, 206));
  EXPECT_TRUE(window->rect().contains(picture->geometry()));
  EXPECT_LT(window->width(), 712 + 60) << "no more room around the picture than margins";
}

TEST_F(MainWindowTest, KeysMoveTheSelectionAndBackspaceClearsTheSelectedAssignment) {
  const struct {
    const char* name;
    long selected;
    int key;
    Qt::KeyboardModifiers modifiers;
    long expected;
  } rows[] = {
      {"Ctrl-F, none selected", -1, Qt::Key_F, Qt::ControlModifier, 0},
      {"Ctrl-B, none selected", -1, Qt::Key_B, Qt::ControlModifier, 0},
      {"Ctrl-F", 5, Qt::Key_F, Qt::ControlModifier, 6},
      {"Ctrl-B", 5, Qt::Key_B, Qt::ControlModifier, 4},
      {"Ctrl-F from the last", 49, Qt::Key_F, Qt::ControlModifier, 0},
      {"Ctrl-B from the first", 0, Qt::Key_B, Qt::ControlModifier, 49},
      {"F alone", 7, Qt::Key_F, Qt::NoModifier, 7},
      {"B alone", 7, Qt::Key_B, Qt::NoModifier, 7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    picture->SetHiliteArea(row.selected);
    TypeKey(row.key, row.modifiers);
    EXPECT_EQ(picture->GetHiliteArea(), row.expected);
  }

  // Without the assign dialog that the keys opened, Backspace clears the patch's record.
  window->GetAssignDialog()->AttemptClose();
  Settle();
  LCommander::SwitchTarget(window);
  Assign(patch, 3, StoredRecord(msgType_CC, 2, 0, {7}));
  Assign(patch, 4, StoredRecord(msgType_Note, 0, 1, {60}));
  picture->SetHiliteArea(-1);
  TypeKey(Qt::Key_Backspace);
  EXPECT_EQ(patch.GetAssignMessage(3), msgType_CC) << "nothing selected, nothing cleared";
  picture->SetHiliteArea(3);
  TypeKey(Qt::Key_Backspace);
  EXPECT_TRUE(SameBytes(*patch.GetParam(3), SPatchParam{}));
  EXPECT_EQ(patch.GetAssignMessage(4), msgType_Note);
}

TEST_F(MainWindowTest, CopyAndPasteCarryTheWholeRecordAndPasteTakesOnlyItsSize) {
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

  picture->SetHiliteArea(2);
  for (std::size_t size : {0u, 167u, 169u}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> wrong(size, 0x07);
    UScrap::SetData(kRecordFlavor, wrong.data(), static_cast<std::int32_t>(size));
    window->ObeyCommand(cmd_PastePatchParam, nullptr);
    EXPECT_EQ(patch.GetAssignMessage(2), 0);
  }
}

TEST_F(MainWindowTest, TheMenusSeeTheAssignmentCommandsAndTheCaptionMark) {
  UScrap::ClearData();
  const struct {
    const char* name;
    long selected;
    bool copied;
    bool copy, paste, clear;
  } rows[] = {
      {"nothing selected, nothing copied", -1, false, false, false, false},
      {"selected, nothing copied", 1, false, true, false, true},
      {"selected, a record copied", 1, true, true, true, true},
      {"a record copied, nothing selected", -1, true, false, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    picture->SetHiliteArea(row.selected);
    if (row.copied) UScrap::SetData(kRecordFlavor, patch.GetParam(0), 168);
    EXPECT_EQ(StatusOf(cmd_CopyPatchParam).enabled, row.copy);
    EXPECT_EQ(StatusOf(cmd_PastePatchParam).enabled, row.paste);
    EXPECT_EQ(StatusOf(cmd_DeletePatchParam).enabled, row.clear);
  }
  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 4).Std());
  EXPECT_EQ(StatusOf(cmd_DeletePatchParam).name, LStr255(1000, 6).Std());

  EXPECT_TRUE(StatusOf(cmd_ShowCaptions).usesMark);
  EXPECT_EQ(StatusOf(cmd_ShowCaptions).mark, noMark);
  window->ObeyCommand(cmd_ShowCaptions, nullptr);
  EXPECT_TRUE(picture->IsMessageVisible());
  EXPECT_EQ(StatusOf(cmd_ShowCaptions).mark, checkMark);
  for (CommandT always : {cmd_ShowCaptions, cmd_SendPatch, cmd_RequestPatch})
    EXPECT_TRUE(StatusOf(always).enabled);
}

TEST_F(MainWindowTest, TheTitleFieldShowsLoadedTitlesAndSetsTypedOnesInASCII) {
  CPatch source;
  source.SetPatchTitle(LStr255("Live Rig"));
  ASSERT_EQ(patch.LoadSMFData(source.MakeSMFData()), 0);
  QLineEdit* line = window->GetTitleField()->GetLineEdit();
  EXPECT_EQ(line->text(), QStringLiteral("Live Rig"));
  EXPECT_FALSE(patch.IsModified());
  patch.InitAllParams();
  EXPECT_EQ(line->text(), QString());

  line->setFocus();
  QTest::keyClicks(line, QStringLiteral("Set ~1"));
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00e9"));
  QCoreApplication::sendEvent(line, &accented);  // é: no 7-bit character
  EXPECT_EQ(line->text(), QStringLiteral("Set ~1"));
  EXPECT_EQ(LString::ToStd(patch.PatchTitle()), "Set ~1");
  EXPECT_TRUE(patch.IsModified());
}

TEST_F(MainWindowTest, WhileTheTitleFieldHasTheFocusAssignmentCommandsEditItsText) {
  Assign(patch, 6, StoredRecord(msgType_CC, 0, 0, {7}));
  picture->SetHiliteArea(6);
  QLineEdit* line = window->GetTitleField()->GetLineEdit();
  line->setText(QStringLiteral("abc"));
  line->setFocus();
  ASSERT_TRUE(window->GetTitleField()->IsTarget());
  QApplication::clipboard()->setText(QStringLiteral("XY"));

  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 5).Std());
  EXPECT_EQ(StatusOf(cmd_DeletePatchParam).name, LStr255(1000, 7).Std());
  EXPECT_FALSE(StatusOf(cmd_CopyPatchParam).enabled) << "no text is selected";
  LCommander::GetTarget()->ObeyCommand(cmd_PastePatchParam, nullptr);
  EXPECT_EQ(line->text(), QStringLiteral("abcXY"));
  QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(line->selectedText(), QStringLiteral("abcXY"));
  LCommander::GetTarget()->ObeyCommand(cmd_DeletePatchParam, nullptr);
  EXPECT_EQ(line->text(), QString());
  EXPECT_EQ(patch.GetAssignMessage(6), msgType_CC) << "the assignment is untouched";

  ClickPicture(Point{80, 30});  // A1: the title field loses the focus to the assign dialog
  EXPECT_FALSE(window->GetTitleField()->IsTarget());
  EXPECT_EQ(picture->GetHiliteArea(), 18);
  window->GetAssignDialog()->AttemptClose();
  Settle();
  LCommander::SwitchTarget(window);  // the commands are the window's again
  EXPECT_EQ(StatusOf(cmd_PastePatchParam).name, LStr255(1000, 4).Std());
}

TEST_F(MainWindowTest, OnlyTheFirstDroppedFileIsOpenedOnTheNextPassOfTheLoop) {
  ASSERT_TRUE(DropFiles(*window, {"/tmp/a.mid", "/tmp/b.mid", "/tmp/c.mid"}));
  EXPECT_TRUE(root.droppedFiles.empty()) << "not while the drop is being handled";
  EXPECT_TRUE(window->IsBusy());
  EXPECT_FALSE(DropFiles(*window, {"/tmp/d.mid"})) << "one dropped file waits at a time";
  UPeriodicals::DevoteTime();
  UPeriodicals::DevoteTime();
  ASSERT_EQ(root.droppedFiles.size(), 1u);
  EXPECT_EQ(root.droppedFiles[0].Path(), "/tmp/a.mid");
  EXPECT_FALSE(window->IsBusy());

  EXPECT_TRUE(DropFiles(*window->GetTitleField()->GetLineEdit(), {"/tmp/e.mid"}))
      << "the field leaves them to the window";
  EXPECT_FALSE(DropFiles(*window, {"https://example.org/p.mid"}));
  EXPECT_FALSE(DropFiles(*window, {"/tmp/a.mid", "https://example.org/p.mid"}));
}

// An alert presenter that tries a drop while its alert is up.
class CDroppingAlertPresenter final : public LAlertPresenter {
 public:
  explicit CDroppingAlertPresenter(QWidget& target) : mTarget(target) {}
  void CautionAlert(ResIDT, const std::string&) override {
    accepted = DropFiles(mTarget, {"/tmp/a.mid"});
  }
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
