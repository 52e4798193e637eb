// Undo and Redo in the editor: every action that changes the patch, done as a user does it,
// then undone (patch, title field, file and modified state as before) and redone (as after).
#include "EditorTestSupport.h"

#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "dialogs/CMidiDevicesDialog.h"
#include "document/CPatch.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/UScrap.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

namespace kvxtest {
namespace {

constexpr PaneIDT kAffirmButton = 1;  // OK, Request

// What the user sees of the document: the patch, the title field, the file, the modified flag.
struct SDocState {
  CPatch::SSnapshot patch;
  std::string titleField;
  FSSpec file;
  bool modified;
  bool operator==(const SDocState& other) const {
    return patch.title[0] == other.patch.title[0] &&
           std::memcmp(patch.params, other.patch.params, sizeof patch.params) == 0 &&
           titleField == other.titleField && file == other.file && modified == other.modified;
  }
};

class Undo : public EditorTest {
 public:
  using EditorTest::Command;
  using EditorTest::Doc;
  using EditorTest::ExamplePatch;
  using EditorTest::Patch;

  SDocState State() {
    return {Patch().TakeSnapshot(),
            UQtText::ToUTF8(Doc().GetMainWindow()->GetTitleField()->GetText()),
            Doc().GetFileSpec(), Doc().IsModified()};
  }
  CMainWindow& Window() { return *Doc().GetMainWindow(); }
  std::string MenuText(CommandT command) {
    return UQtText::ToUTF8(LMenuBar::GetCurrentMenuBar()->FindCommandStatus(command).name);
  }
  void TypeInTitle(const QString& text) {
    LEditText* field = Window().GetTitleField();
    LCommander::SwitchTarget(field);
    for (QChar character : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
      QCoreApplication::sendEvent(field->GetLineEdit(), &press);
    }
    LCommander::SwitchTarget(&Window());
  }
  // Chooses the built-in device for both ports and answers every later dialog with its
  // affirming button.
  std::unique_ptr<CModalAnswerer> AnswerDialogsYes() {
    auto answerer = std::make_unique<CModalAnswerer>([](QWidget& widget) {
      auto* dialog = dynamic_cast<LDialogBox*>(&widget);
      if (dialog == nullptr) return;
      const auto pane = [dialog](PaneIDT id) { return dialog->FindPaneByID(id); };
      if (auto* inputs = dynamic_cast<LPopupButton*>(pane(CMidiDevicesDialog::kInportPopupID))) {
        inputs->SetValue(2);
        dynamic_cast<LPopupButton&>(*pane(CMidiDevicesDialog::kOutportPopupID)).SetValue(2);
      }
      if (auto* yes = dynamic_cast<LPushButton*>(pane(kAffirmButton))) yes->GetButton()->click();
    });
    Command(cmd_MidiDevices);
    return answerer;
  }
};

struct SUndoRow {
  const char* name;
  const char* undoText;  // the Undo item's text after the action
  std::function<void(Undo&)> action;
  friend void PrintTo(const SUndoRow& row, std::ostream* out) { *out << row.name; }
};

class UndoActions : public Undo, public ::testing::WithParamInterface<SUndoRow> {};

SPatchParam NoteRecord() {
  SPatchParam record{};
  record.msgType = msgType_Note;
  record.data[0] = 64;
  record.data[1] = 90;
  return record;
}

TEST_P(UndoActions, UndoBringsBackTheStateBeforeAndRedoTheStateAfter) {
  StartEditor();
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  LCommander::SwitchTarget(&Window());
  const SDocState before = State();
  EXPECT_FALSE(IsEnabled(cmd_Undo)) << "opening a file starts a fresh history";

  GetParam().action(*this);
  LCommander::SwitchTarget(&Window());
  const SDocState after = State();
  ASSERT_FALSE(after == before) << "the action changed nothing";
  EXPECT_EQ(MenuText(cmd_Undo), GetParam().undoText);

  ASSERT_TRUE(Command(cmd_Undo));
  EXPECT_TRUE(State() == before) << "Undo";
  EXPECT_FALSE(Doc().IsModified()) << "back at the saved state";
  EXPECT_TRUE(IsEnabled(cmd_Redo));
  ASSERT_TRUE(Command(cmd_Redo));
  EXPECT_TRUE(State() == after) << "Redo";
  EXPECT_FALSE(IsEnabled(cmd_Redo));
}

INSTANTIATE_TEST_SUITE_P(
    EveryAction, UndoActions,
    ::testing::Values(
        SUndoRow{"ApplyInTheAssignDialog", "Undo Apply Assignment",
                 [](Undo& base) {
                   Undo& test = base;
                   test.Window().OpenAssignDialog(3);
                   CMsgAssignDialog* dialog = test.Window().GetAssignDialog();
                   const SPatchParam record = NoteRecord();
                   dialog->SetDialogParam(&record);
                   ASSERT_TRUE(dialog->ApplyDialogParam());
                   dialog->AttemptClose();
                 }},
        SUndoRow{"PasteAssignment", "Undo Paste Assignment",
                 [](Undo& base) {
                   Undo& test = base;
                   const SPatchParam record = NoteRecord();
                   UScrap::SetData(CMainWindow::kPatchParamFlavor, &record, sizeof record);
                   test.Window().GetPicture()->SetHiliteArea(5);
                   ASSERT_TRUE(test.Command(cmd_PastePatchParam));
                 }},
        SUndoRow{"DeleteAssignment", "Undo Delete Assignment",
                 [](Undo& base) {
                   Undo& test = base;
                   test.Window().GetPicture()->SetHiliteArea(0);
                   ASSERT_TRUE(test.Command(cmd_DeletePatchParam));
                 }},
        SUndoRow{"TypingTheTitle", "Undo Typing",
                 [](Undo& base) { base.TypeInTitle("Live set"); }},
        SUndoRow{"OpeningADroppedFile", "Undo Open Dropped File",
                 [](Undo& base) {
                   Undo& test = base;
                   FSSpec dropped = test.ExamplePatch("templates.mid");
                   test.Command(cmd_OpenDroppedFile, &dropped);
                   ASSERT_EQ(base.Doc().GetFileSpec(), dropped);
                 }},
        SUndoRow{"RequestFromTheDevice", "Undo Request from KVX",
                 [](Undo& base) {
                   Undo& test = base;
                   auto answerer = test.AnswerDialogsYes();
                   LCommander::SwitchTarget(&test.Window());
                   ASSERT_TRUE(test.Command(cmd_RequestPatch));
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Undo, NewCloseAndOpenStartAFreshHistory) {
  StartEditor();
  for (CommandT command : {cmd_New, cmd_Close}) {
    LCommander::SwitchTarget(&Window());
    ModifyPatch();
    Window().GetPicture()->SetHiliteArea(0);
    Command(cmd_DeletePatchParam);
    ASSERT_TRUE(IsEnabled(cmd_Undo));
    auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Discard);
    Command(command);
    EXPECT_FALSE(IsEnabled(cmd_Undo)) << command;
  }
  EXPECT_EQ(MenuText(cmd_Undo), "Undo");
}

TEST_F(Undo, WhileTheTitleFieldHasTheFocusUndoActsOnItsText) {
  StartEditor();
  Window().GetPicture()->SetHiliteArea(0);
  SPatchParam record = NoteRecord();
  Patch().SetParam(0, &record);
  LEditText* field = Window().GetTitleField();
  LCommander::SwitchTarget(field);
  for (QChar character : QStringLiteral("Pad")) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QCoreApplication::sendEvent(field->GetLineEdit(), &press);
  }
  ASSERT_EQ(LCommander::GetTarget(), field);
  EXPECT_EQ(MenuText(cmd_Undo), "Undo Typing");
  ASSERT_TRUE(Command(cmd_Undo));
  EXPECT_EQ(field->GetText(), "");
  EXPECT_EQ(Patch().PatchTitle()[0], 0) << "the patch follows the field";
  ASSERT_TRUE(Command(cmd_Redo));
  EXPECT_EQ(field->GetText(), "Pad");
  EXPECT_EQ(Patch().PatchTitle()[0], 3);
}

}  // namespace
}  // namespace kvxtest
