// Windows close through their super-commander; documents ask about unsaved changes before
// closing or quitting, lose nothing when a save does not happen, and the document application
// carries out open and create requests before they return.
#include "UiTestSupport.h"

#include "framework/core/LString.h"
#include "framework/ui/LDocApplication.h"
#include "framework/ui/LDocument.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"

#include <QPointer>
#include <QWindow>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

using ESaveAnswer = LDocument::ESaveAnswer;

// A document whose answers and saves the test scripts; it logs what it does.
class CScriptedDocument final : public LDocument {
 public:
  explicit CScriptedDocument(LCommander* super) : LDocument(super) {}

  ESaveAnswer AskSaveChanges(bool quitting) override {
    log.push_back(quitting ? "ask quitting" : "ask closing");
    return answer;
  }
  void DoSave() override {
    log.push_back("save");
    if (saveSucceeds) SetModified(false);
  }
  void DoAESave(FSSpec& file, OSType) override {
    log.push_back("save as " + file.name);
    SetSpecified(true);
    if (saveSucceeds) SetModified(false);
  }
  bool UsesFileSpec(const FSSpec& file) const override { return file.name == "mine.mid"; }
  StringPtr GetDescriptor(Str255 name) const override {
    return LString::FromStd("Untitled.mid", name);
  }
  void Close() override { log.push_back("close"); }

  ESaveAnswer answer = ESaveAnswer::Cancel;
  bool saveSucceeds = true;
  std::vector<std::string> log;
};

// A file dialog host that answers from a script and keeps what it was asked.
class CScriptedNavHost final : public LNavHost {
 public:
  QStringList AskOpenFiles(const SNavRequest& request) override {
    requests.push_back(request);
    return openAnswer;
  }
  QString AskSaveFile(const SNavRequest& request) override {
    requests.push_back(request);
    return saveAnswer;
  }
  QStringList openAnswer;
  QString saveAnswer;
  std::vector<SNavRequest> requests;
};

TEST(LDocument, ClosingAModifiedDocumentAsksFirstAndLosesNothing) {
  struct SRow {
    const char* name;
    bool modified;
    bool specified;
    ESaveAnswer answer;
    bool saveSucceeds;
    bool closed;
    std::vector<std::string> log;
  };
  const SRow rows[] = {
      {"unmodified: no question", false, true, ESaveAnswer::Cancel, true, true, {"close"}},
      {"save", true, true, ESaveAnswer::Save, true, true, {"ask closing", "save", "close"}},
      {"save that fails", true, true, ESaveAnswer::Save, false, false, {"ask closing", "save"}},
      {"don't save", true, true, ESaveAnswer::DontSave, true, true, {"ask closing", "close"}},
      {"cancel", true, true, ESaveAnswer::Cancel, true, false, {"ask closing"}},
      {"save without a file: save as",
       true,
       false,
       ESaveAnswer::Save,
       true,
       true,
       {"ask closing", "save as Untitled.mid", "close"}},
  };
  CScriptedNavHost nav;
  nav.saveAnswer = QStringLiteral("/tmp/Untitled.mid");
  StNavHost installed(&nav);
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CScriptedDocument document(nullptr);
    document.SetModified(row.modified);
    document.SetSpecified(row.specified);
    document.answer = row.answer;
    document.saveSucceeds = row.saveSucceeds;
    EXPECT_EQ(document.AttemptClose(false), row.closed);
    EXPECT_EQ(document.log, row.log);
  }
  ASSERT_FALSE(nav.requests.empty());
  EXPECT_EQ(nav.requests.back().proposedName, QStringLiteral("Untitled.mid"));
  EXPECT_TRUE(nav.requests.back().save);
}

TEST(LDocument, SaveAsOverItsOwnFileSavesInPlace) {
  CScriptedNavHost nav;
  StNavHost installed(&nav);
  CScriptedDocument document(nullptr);
  FSSpec chosen;
  nav.saveAnswer = QString();
  EXPECT_FALSE(document.AskSaveAs(chosen, true)) << "cancelled";
  nav.saveAnswer = QStringLiteral(KVX_TEST_DATA_DIR "/mine.mid");  // not there: a new file
  EXPECT_TRUE(document.AskSaveAs(chosen, true));
  EXPECT_EQ(document.log, (std::vector<std::string>{"save as mine.mid"}));
}

TEST(LDocument, ClosingItsWindowClosesTheDocumentInstead) {
  auto* document = new CScriptedDocument(nullptr);
  QPointer<LWindow> window = new LWindow(document);
  window->AttemptClose();
  kvxtest::ProcessPostedEvents();
  ASSERT_FALSE(window.isNull()) << "the document decides what becomes of its window";
  EXPECT_EQ(document->log, (std::vector<std::string>{"close"}));
  delete document;
  EXPECT_TRUE(window.isNull()) << "its sub-commanders go with it";
}

TEST(LWindow, ACloseBoxThatQuitsSendsQuitUpTheChainAndStays) {
  class CQuitRecorder final : public LCommander {
   public:
    bool ObeyCommand(CommandT command, void*) override {
      commands.push_back(command);
      return true;
    }
    bool AllowSubRemoval(LCommander*) override { return true; }
    std::vector<CommandT> commands;
  } super;
  QPointer<LWindow> window = LWindow::CreateWindow(9005, &super);
  window->Show();
  window->close();  // the close box, or Alt+F4
  kvxtest::ProcessPostedEvents();
  EXPECT_EQ(super.commands, std::vector<CommandT>{cmd_Quit});
  ASSERT_FALSE(window.isNull()) << "it goes when the program does";
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->GetSuperCommander(), &super);
  delete window;
}

TEST(LWindow, TheModifiedMarkerLeavesTheTitleTextAsItIs) {
  LWindow window(nullptr);
  window.Show();
  const auto shown = [&] { return window.windowHandle()->title().toStdString(); };
  window.SetDescriptorText(QStringLiteral("a [*] b"));
  window.ShowModified(true);
  EXPECT_EQ(shown(), "a [*] b*");
  EXPECT_EQ(window.GetDescriptorText().toStdString(), "a [*] b");
  window.SetDescriptorText(QStringLiteral("c"));
  EXPECT_EQ(shown(), "c*");
  window.ShowModified(false);
  EXPECT_EQ(shown(), "c");
  EXPECT_EQ(window.GetDescriptorText().toStdString(), "c");
}

TEST(LWindow, AWindowClosesWhenItsSuperAllowsIt) {
  class CGate final : public LCommander {
   public:
    bool AllowSubRemoval(LCommander*) override { return allow; }
    bool allow = false;
  } gate;
  QPointer<LWindow> window = new LWindow(&gate);
  window->Show();
  window->close();  // the close box
  kvxtest::ProcessPostedEvents();
  ASSERT_FALSE(window.isNull());
  EXPECT_TRUE(window->isVisible());
  gate.allow = true;
  EXPECT_TRUE(window->ObeyCommand(cmd_Close, nullptr));
  EXPECT_TRUE(gate.GetSubCommanders().empty()) << "out of the chain at once";
  kvxtest::ProcessPostedEvents();
  EXPECT_TRUE(window.isNull());
}

// A document application that keeps what it was asked to open.
class CRecordingApplication final : public LDocApplication {
 public:
  void OpenDocument(FSSpec* file) override { opened.push_back(file->name); }
  LDocument* MakeNewDocument() override {
    ++created;
    return new CScriptedDocument(this);
  }
  std::vector<std::string> opened;
  int created = 0;
};

TEST(LDocApplication, RequestsAreCarriedOutBeforeTheyReturn) {
  CScriptedNavHost nav;
  StNavHost installed(&nav);
  CRecordingApplication application;
  EXPECT_EQ(LApplication::GetApplication(), &application);
  EXPECT_NE(LMenuBar::GetCurrentMenuBar(), nullptr) << "menu bar 128 of the editor's resources";

  application.SendAEOpenDocList(
      {FSSpec::FromPath("/tmp/one.mid"), FSSpec::FromPath("/tmp/two.mid")});
  EXPECT_EQ(application.opened, (std::vector<std::string>{"one.mid", "two.mid"}));

  nav.openAnswer = {QStringLiteral("/tmp/three.mid"), QStringLiteral("/tmp/four.mid")};
  EXPECT_TRUE(application.ObeyCommand(cmd_Open, nullptr));
  EXPECT_EQ(application.opened.back(), "three.mid") << "one file unless the options allow more";
  EXPECT_EQ(application.opened.size(), 3u);

  nav.openAnswer.clear();
  application.ObeyCommand(cmd_Open, nullptr);
  EXPECT_EQ(application.opened.size(), 3u) << "cancelled";

  EXPECT_TRUE(application.ObeyCommand(cmd_New, nullptr));
  EXPECT_EQ(application.created, 1);
}

TEST(LDocApplication, QuittingAsksEveryDocumentAndStopsAtACancel) {
  CRecordingApplication application;
  auto* first = new CScriptedDocument(&application);
  auto* second = new CScriptedDocument(&application);
  first->SetModified(true);
  first->answer = ESaveAnswer::DontSave;
  second->SetModified(true);
  second->answer = ESaveAnswer::Cancel;
  EXPECT_FALSE(application.AttemptQuit());
  EXPECT_EQ(first->log, (std::vector<std::string>{"ask quitting"}));
  EXPECT_EQ(second->log, (std::vector<std::string>{"ask quitting"}));

  second->answer = ESaveAnswer::DontSave;
  EXPECT_TRUE(application.AttemptQuit());
}

}  // namespace
