// The boundary between Qt's event handling and the framework's code. Qt must never see an
// exception, so every entry from a Qt event or signal into framework code runs through Run:
// a framework exception (or any other) is reported and the event loop goes on.
#pragma once

#include <exception>

class UEventGuard {
 public:
  template <typename Action>
  static void Run(Action&& action) noexcept {
    try {
      action();
    } catch (const std::exception& error) {
      Report(error.what());
    } catch (...) {
      Report("unknown exception");
    }
  }

  // How many exceptions were caught so far.
  static int GetCaughtCount();

 private:
  static void Report(const char* what) noexcept;
};
