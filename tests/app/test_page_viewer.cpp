// The page viewer that shows the help page and the assign list: it shows the page under its
// title, comes back to the front with the page read again when the same page is shown again,
// and closes with Escape and Ctrl+W, although the menus use Ctrl+W too. The help page's table
// of contents reaches every section, and its links lead to places in it.
#include "EditorTestSupport.h"

#include "dialogs/CPageViewer.h"
#include "mainwindow/CMainWindow.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include <fstream>

namespace kvxtest {
namespace {

class PageViewer : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    // The menus with their application-wide shortcuts, over a patch file that File > Close
    // would drop.
    StartEditor({ExamplePatch("synth-setup.mid")});
  }

  fs::path WritePage(const std::string& body) {
    const fs::path page = FilesFolder() / "page.html";
    std::ofstream(page) << "<html><head><title>A Page</title></head><body>" << body
                        << "</body></html>";
    return page;
  }
};

TEST_F(PageViewer, ShowsThePageAndClosesWithEscapeOrCtrlW) {
  struct SRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  };
  const SRow rows[] = {{"Escape", Qt::Key_Escape, Qt::NoModifier},
                       {"Ctrl+W", Qt::Key_W, Qt::ControlModifier}};
  const fs::path page = WritePage("<p>first</p>");
  const QString documentTitle = Doc().GetMainWindow()->windowTitle();
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    QPointer<CPageViewer> viewer = CPageViewer::Show(page);
    ASSERT_NE(viewer, nullptr);
    // In front, where the menus' shortcuts are live too.
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("A Page"));
    EXPECT_TRUE(viewer->GetBrowser().toPlainText().contains(QStringLiteral("first")));
    QTest::keyClick(&viewer->GetBrowser(), row.key, row.modifiers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull()) << "the window is closed and gone";
    EXPECT_EQ(Doc().GetMainWindow()->windowTitle(), documentTitle) << "File > Close did not run";
  }
}

TEST_F(PageViewer, ShowingThePageAgainReadsItAgainInTheSameWindow) {
  const fs::path page = WritePage("<p>first</p>");
  QPointer<CPageViewer> viewer = CPageViewer::Show(page);
  WritePage("<p>second</p>");
  EXPECT_EQ(CPageViewer::Show(page), viewer.data());
  EXPECT_TRUE(viewer->GetBrowser().toPlainText().contains(QStringLiteral("second")));
  EXPECT_EQ(CPageViewer::Show(FilesFolder() / "missing.html"), nullptr);
  delete viewer.data();
}

TEST(HelpPage, TheTableOfContentsReachesEverySection) {
  const fs::path page =
      fs::path(QCoreApplication::applicationDirPath().toStdString()) / "KVX Editor Help.html";
  const QString text = QString::fromStdString(ReadText(page));
  ASSERT_FALSE(text.isEmpty()) << page;
  const auto captures = [&text](const QString& pattern) {
    QSet<QString> found;
    for (const auto& match : QRegularExpression(pattern).globalMatch(text)) found << match.captured(1);
    return found;
  };
  const qsizetype navEnd = text.indexOf(QStringLiteral("</nav>"));
  ASSERT_GT(navEnd, 0);
  QSet<QString> contents;
  for (const auto& match :
       QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(text.left(navEnd)))
    contents << match.captured(1);
  const QSet<QString> ids = captures(QStringLiteral("id=\"([^\"]+)\""));
  const QSet<QString> sections = captures(QStringLiteral("<h2 id=\"([^\"]+)\""));
  EXPECT_TRUE(ids.contains(contents)) << "a contents link to no place";
  EXPECT_EQ(contents, sections) << "every section is in the contents";
  EXPECT_TRUE(ids.contains(captures(QStringLiteral("href=\"#([^\"]+)\""))))
      << "a link in the page to no place";
}

}  // namespace
}  // namespace kvxtest
