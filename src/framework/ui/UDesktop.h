// The windows on the desktop as the framework sees them.
#pragma once

class LWindow;

class UDesktop {
 public:
  // Whether `window` is the active window.
  static bool WindowIsSelected(const LWindow* window);
  // The active framework window, else the frontmost visible one; null when there is none.
  static LWindow* FetchTopWindow();
  // Brings the application forward again: its top window is raised and activated.
  static void Resume();
};
