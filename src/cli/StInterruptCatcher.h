// Turns Ctrl-C (SIGINT) into a request to cancel for the length of a scope, instead of ending
// the program: a transfer then stops at its next dialog turn and closes its MIDI ports in
// order. The handler only sets a flag; the main thread asks for it.
#pragma once

#include <csignal>

class StInterruptCatcher {
 public:
  StInterruptCatcher();
  // Puts back the handler there was before.
  ~StInterruptCatcher();
  StInterruptCatcher(const StInterruptCatcher&) = delete;
  StInterruptCatcher& operator=(const StInterruptCatcher&) = delete;

  // Whether Ctrl-C was pressed since the scope began.
  static bool WasInterrupted();

 private:
  struct sigaction mPrevious {};
};
