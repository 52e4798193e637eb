// Keeps the keyboard focus where the user left it across a modal dialog (a file dialog, an
// alert, a dialog run by StDialogHandler): it saves the target commander and the focus widget
// and gives both back when it goes. Without it, the window that comes to the front again
// after the dialog would give its focus to its first field (what Qt does for a window whose
// focus is on no widget), and that field would take the target: Backspace would then edit
// the field instead of reaching the window.
//
//   {
//     StTargetKeeper keeper;
//     dialog.exec();
//   }  // the focus and the target are back
//
// What has gone in the meantime (a deleted field or window) is not given anything back.
#pragma once

#include "framework/core/LCommander.h"

#include <QPointer>
#include <QWidget>

class StTargetKeeper {
 public:
  StTargetKeeper();
  ~StTargetKeeper();
  StTargetKeeper(const StTargetKeeper&) = delete;
  StTargetKeeper& operator=(const StTargetKeeper&) = delete;

 private:
  LWeakCommander mTarget;
  QPointer<QWidget> mFocus;   // the focus widget, if any
  QPointer<QWidget> mWindow;  // the active window, if any
};
