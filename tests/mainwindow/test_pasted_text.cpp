// Pasted and dropped text follows the same rule as typing in the title field: what typing
// refuses is left out, and the user is told.
#include "MainWindowTestSupport.h"

#include "framework/ui/LEditText.h"
#include "support/PatchTestSupport.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>

namespace kvxtest {
namespace {

TEST_F(MainWindowTest, PastedAndDroppedTitlesLeaveOutWhatTypingRefusesAndSaySo) {
  enum class EWay { Paste, Drop, InputMethod };
  const QString longTitle(200, u'a');
  struct SRow {
    const char* name;
    EWay way;
    QString text;
    QString kept;
    bool told;
  } rows[] = {
      {"plain paste", EWay::Paste, QStringLiteral("Live Set"), QStringLiteral("Live Set"), false},
      {"accents pasted", EWay::Paste, QStringLiteral("Caf\u00e9 Cr\u00e8me"), QStringLiteral("Caf Crme"), true},
      {"line break pasted", EWay::Paste, QStringLiteral("Pad\nBass"), QStringLiteral("PadBass"), true},
      {"accents dropped", EWay::Drop, QStringLiteral("Na\u00efve \u2192 set"), QStringLiteral("Nave  set"), true},
      {"pasted past the length", EWay::Paste, longTitle, longTitle.left(kMaxTitleLength), true},
      {"dropped past the length", EWay::Drop, longTitle, longTitle.left(kMaxTitleLength), true},
      {"an input method's accents", EWay::InputMethod, QStringLiteral("Caf\u00e9"), QStringLiteral("Caf"), true},
  };
  LEditText* field = window->GetTitleField();
  field->GetLineEdit()->setAcceptDrops(true);  // text drops, as on the assign dialog's fields
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    field->SetText(QString());
    LCommander::SwitchTarget(field);
    QMimeData data;
    data.setText(row.text);
    switch (row.way) {
      case EWay::Drop: {
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(field->GetLineEdit(), &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(field->GetLineEdit(), &drop);
        break;
      }
      case EWay::Paste:
        QGuiApplication::clipboard()->setText(row.text);
        ASSERT_TRUE(field->ObeyCommand(cmd_PastePatchParam, nullptr));
        break;
      case EWay::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(row.text);
        QCoreApplication::sendEvent(field->GetLineEdit(), &commit);
        break;
      }
    }
    EXPECT_EQ(field->GetText(), row.kept);
    EXPECT_EQ(QString::fromStdString(Text(patch.PatchTitle())), row.kept)
        << "the patch title is what the field shows";
    EXPECT_EQ(!field->GetLeftOutNotice().isEmpty(), row.told);
  }
}

}  // namespace
}  // namespace kvxtest
