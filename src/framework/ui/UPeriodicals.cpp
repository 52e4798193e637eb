#include "framework/ui/UPeriodicals.h"

#include "framework/core/EventRecord.h"
#include "framework/core/LPeriodical.h"
#include "framework/core/TickCount.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UKeyboard.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

namespace {

QPointer<QTimer> sTimer;

EventRecord idleEvent() {
  EventRecord event;
  event.what = nullEvent;
  event.when = TickCount();
  // Where the mouse is would cost the window system a question every turn; nobody asks it.
  event.modifiers = UKeyboard::ModifiersFromQt(QGuiApplication::keyboardModifiers());
  return event;
}

}  // namespace

void UPeriodicals::Start() {
  if (sTimer != nullptr) return;
  sTimer = new QTimer(QCoreApplication::instance());
  QObject::connect(sTimer, &QTimer::timeout, sTimer, [] { DevoteTime(); });
  sTimer->start(kIntervalMilliseconds);
}

void UPeriodicals::Stop() { delete sTimer.data(); }

bool UPeriodicals::IsRunning() { return sTimer != nullptr; }

void UPeriodicals::DevoteTime() {
  const EventRecord event = idleEvent();
  UEventGuard::Run([&] { LPeriodical::DevoteTimeToRepeaters(event); });
  UEventGuard::Run([&] { LPeriodical::DevoteTimeToIdlers(event); });
}
