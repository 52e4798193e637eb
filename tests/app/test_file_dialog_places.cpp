// Where Save As and Export start and what they propose.
#include "EditorTestSupport.h"

namespace kvxtest {
namespace {

class FileDialogPlaces : public EditorTest {};

TEST_F(FileDialogPlaces, SaveAsAndExportStartAtThePatchAndProposeItsName) {
  StartEditor();
  struct SRow {
    const char* name;
    CommandT command;
    const char* proposed;
  };
  const SRow rows[] = {{"Save As", cmd_SaveAs, "synth-setup.mid"},
                       {"Export", cmd_ExportAssignList, "synth-setup.html"}};
  FSSpec file = ExamplePatch("synth-setup.mid", "deep/patches");
  mApp->SendAEOpenDoc(file);
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    mNav.answers = {QString()};
    Command(row.command);
    ASSERT_FALSE(mNav.requests.empty());
    EXPECT_EQ(mNav.requests.back().folder.toStdString(), file.Path().parent_path().string());
    EXPECT_EQ(mNav.requests.back().proposedName.toStdString(), row.proposed);
  }
  // Untitled: the folder last used, and the default names.
  Command(cmd_New);
  mNav.answers = {QString()};
  Command(cmd_ExportAssignList);
  EXPECT_EQ(mNav.requests.back().proposedName, kDefaultHTMLName);
  EXPECT_NE(mNav.requests.back().folder.toStdString(), file.Path().parent_path().string());
}

}  // namespace
}  // namespace kvxtest
