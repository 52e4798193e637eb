// Pasted and dropped text follows the same rule as typing in the title field: what typing
// refuses is left out, and the user is told.
#include "MainWindowTestSupport.h"

#include "framework/ui/LEditText.h"
#include "support/PatchTestSupport.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>

namespace kvxtest {
namespace {

TEST_F(MainWindowTest, PastedAndDroppedTitlesLeaveOutWhatTypingRefusesAndSaySo) {
  struct SRow {
    const char* name;
    bool drop;
    QString text;
    QString kept;
    bool told;
  } rows[] = {
      {"plain paste", false, QStringLiteral("Live Set"), QStringLiteral("Live Set"), false},
      {"accents pasted", false, QStringLiteral("Caf\u00e9 Cr\u00e8me"), QStringLiteral("Caf Crme"), true},
      {"line break pasted", false, QStringLiteral("Pad\nBass"), QStringLiteral("PadBass"), true},
      {"accents dropped", true, QStringLiteral("Na\u00efve \u2192 set"), QStringLiteral("Nave  set"), true},
  };
  LEditText* field = window->GetTitleField();
  field->GetLineEdit()->setAcceptDrops(true);  // text drops, as on the assign dialog's fields
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    field->SetText(QString());
    LCommander::SwitchTarget(field);
    if (row.drop) {
      QMimeData data;
      data.setText(row.text);
      QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(field->GetLineEdit(), &enter);
      QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(field->GetLineEdit(), &drop);
    } else {
      QGuiApplication::clipboard()->setText(row.text);
      ASSERT_TRUE(field->ObeyCommand(cmd_PastePatchParam, nullptr));
    }
    EXPECT_EQ(field->GetText(), row.kept);
    EXPECT_EQ(QString::fromStdString(Text(patch.PatchTitle())), row.kept)
        << "the patch title is what the field shows";
    EXPECT_EQ(!field->GetLeftOutNotice().isEmpty(), row.told);
  }
}

}  // namespace
}  // namespace kvxtest
