// Drives the framework's periodicals from Qt's event loop: a short timer gives every repeater
// and then every idler a turn, outside any event handler. Timers fire in every event loop of
// the main thread, so periodicals also run inside modal loops (dialogs, message boxes, file
// dialogs, StDialogHandler::DoDialog).
#pragma once

class UPeriodicals {
 public:
  // The interval of the turns, below one tick.
  static constexpr int kIntervalMilliseconds = 8;

  // Needs a QCoreApplication; the timer goes with it.
  static void Start();
  static void Stop();
  static bool IsRunning();

  // One turn for every repeater and idler now.
  static void DevoteTime();
};
