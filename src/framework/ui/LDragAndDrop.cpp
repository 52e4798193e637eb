#include "framework/ui/LDragAndDrop.h"

#include "framework/ui/UEventGuard.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace {

bool validItem(DragReference drag, ItemReference item) {
  return drag != nullptr && item >= 1 && item <= LDropArea::CountDragItems(drag);
}

class CDropFilter final : public QObject {
 public:
  CDropFilter(LDropArea& area, QWidget* widget) : mArea(area), mWidget(widget) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
  }

  ~CDropFilter() override {
    if (mWidget != nullptr) mWidget->removeEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != mWidget) return false;
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        bool acceptable = false;
        UEventGuard::Run([&] { acceptable = mArea.DragIsAcceptable(drag->mimeData()); });
        if (acceptable)
          drag->acceptProposedAction();
        else
          drag->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        bool acceptable = false;
        UEventGuard::Run([&] {
          acceptable = mArea.DragIsAcceptable(drop->mimeData());
          if (acceptable) mArea.DoDragReceive(drop->mimeData());
        });
        if (acceptable)
          drop->acceptProposedAction();
        else
          drop->ignore();
        return true;
      }
      default:
        return false;
    }
  }

 private:
  LDropArea& mArea;
  QPointer<QWidget> mWidget;
};

}  // namespace

bool LDropArea::DragIsAcceptable(DragReference drag) {
  const std::uint16_t count = CountDragItems(drag);
  if (count == 0) return false;
  for (ItemReference item = 1; item <= count; ++item) {
    if (!ItemIsAcceptable(drag, item)) return false;
  }
  return true;
}

bool LDropArea::ItemIsAcceptable(DragReference, ItemReference) { return false; }

void LDropArea::DoDragReceive(DragReference drag) {
  FocusDropArea();
  const std::uint16_t count = CountDragItems(drag);
  for (ItemReference item = 1; item <= count; ++item) {
    Rect bounds{};
    ReceiveDragItem(drag, 0, item, bounds);
  }
}

void LDropArea::ReceiveDragItem(DragReference, DragAttributes, ItemReference, Rect&) {}

std::uint16_t LDropArea::CountDragItems(DragReference drag) {
  if (drag == nullptr) return 0;
  if (drag->hasUrls()) return static_cast<std::uint16_t>(drag->urls().size());
  return drag->formats().isEmpty() ? 0 : 1;
}

bool LDropArea::ItemHasFlavor(DragReference drag, ItemReference item, FlavorType flavor) {
  if (!validItem(drag, item) || flavor != flavorTypeHFS || !drag->hasUrls()) return false;
  return drag->urls().at(static_cast<qsizetype>(item - 1)).isLocalFile();
}

OSErr LDropArea::GetFileSpec(DragReference drag, ItemReference item, FSSpec& file) {
  if (!ItemHasFlavor(drag, item, flavorTypeHFS)) return badDragFlavorErr;
  const QString path = drag->urls().at(static_cast<qsizetype>(item - 1)).toLocalFile();
  file = FSSpec::FromPath(path.toStdString());
  return noErr;
}

LDragAndDrop::LDragAndDrop(QWidget* dropWidget)
    : mFilter(std::make_unique<CDropFilter>(*this, dropWidget)) {}

LDragAndDrop::~LDragAndDrop() = default;
