#include "framework/ui/UCursor.h"

#include "framework/core/LException.h"
#include "framework/ui/LPane.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UQtText.h"

#include <QJsonArray>
#include <QPixmap>

namespace {

struct SShape {
  const char* name;
  Qt::CursorShape shape;
};

constexpr SShape kShapes[] = {
    {"arrow", Qt::ArrowCursor},       {"pointingHand", Qt::PointingHandCursor},
    {"cross", Qt::CrossCursor},       {"ibeam", Qt::IBeamCursor},
    {"openHand", Qt::OpenHandCursor}, {"closedHand", Qt::ClosedHandCursor},
    {"wait", Qt::WaitCursor},
};

[[noreturn]] void fail(ResIDT cursorID, const QString& why) {
  LException::ThrowException(
      err_ResourceData, UQtText::ToUTF8(QStringLiteral("cursor %1: %2").arg(cursorID).arg(why)));
}

}  // namespace

void UCursor::SetArrow() { Set(QCursor(Qt::ArrowCursor)); }

void UCursor::Set(const QCursor& cursor) {
  if (LPane* pane = LPane::GetCursorPane()) pane->setCursor(cursor);
}

LColorCursor::LColorCursor(ResIDT cursorID) {
  const QJsonObject node = UJSONResources::Read(QStringLiteral("cursors"), cursorID);
  if (node.contains(QLatin1String("shape"))) {
    const QString name = node.value(QLatin1String("shape")).toString();
    for (const SShape& shape : kShapes) {
      if (name == QLatin1String(shape.name)) {
        mCursor = QCursor(shape.shape);
        return;
      }
    }
    fail(cursorID, QStringLiteral("unknown shape '%1'").arg(name));
  }
  const QString image = node.value(QLatin1String("image")).toString();
  const QPixmap pixmap(QStringLiteral(":/cursors/") + image);
  if (image.isEmpty() || pixmap.isNull())
    fail(cursorID, QStringLiteral("needs a 'shape' or a readable 'image'"));
  const QJsonArray hotSpot = node.value(QLatin1String("hotSpot")).toArray();
  const int x = hotSpot.size() == 2 ? hotSpot.at(0).toInt() : pixmap.width() / 2;
  const int y = hotSpot.size() == 2 ? hotSpot.at(1).toInt() : pixmap.height() / 2;
  mCursor = QCursor(pixmap, x, y);
}
