#include "framework/ui/LEventDispatcher.h"

#include "framework/core/LException.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UKeyboard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace {

LEventDispatcher* sCurrent = nullptr;

// Every user event reaches the window system's window (a QWindow) exactly once before Qt
// hands it on to a widget, so it is taken there.
class CEventFilter final : public QObject {
 public:
  explicit CEventFilter(LEventDispatcher& dispatcher) : mDispatcher(dispatcher) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWindowType()) return false;
    EventRecord record;
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      record = UKeyboard::MouseDownRecord(mouse->globalPosition().toPoint(), mouse->modifiers());
    } else if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (UKeyboard::IsModifierKey(*key)) return false;
      record = UKeyboard::FromQKeyEvent(*key);
    } else {
      return false;
    }
    bool goOn = true;
    UEventGuard::Run([&] { goOn = mDispatcher.ExecuteAttachments(msg_Event, &record); });
    return !goOn;
  }

 private:
  LEventDispatcher& mDispatcher;
};

}  // namespace

LEventDispatcher::LEventDispatcher()
    : mFilter(std::make_unique<CEventFilter>(*this)), mPrevious(sCurrent) {
  ThrowIfNil(QCoreApplication::instance())->installEventFilter(mFilter.get());
  sCurrent = this;
}

LEventDispatcher::~LEventDispatcher() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->removeEventFilter(mFilter.get());
  if (sCurrent == this) sCurrent = mPrevious;
}

LEventDispatcher* LEventDispatcher::GetCurrentEventDispatcher() { return sCurrent; }
