#include "framework/ui/StTargetKeeper.h"

#include "framework/ui/UEventGuard.h"

#include <QApplication>

StTargetKeeper::StTargetKeeper()
    : mTarget(LCommander::GetTarget()),
      mFocus(QApplication::focusWidget()),
      mWindow(QApplication::activeWindow()) {}

StTargetKeeper::~StTargetKeeper() {
  // A window whose focus is on itself gets it back when it is activated again, instead of
  // passing it to its first field.
  QWidget* focus = mFocus != nullptr ? mFocus.data() : mWindow.data();
  UEventGuard::Run([&] {
    if (focus != nullptr) focus->setFocus(Qt::OtherFocusReason);
    if (LCommander* target = mTarget.Get()) LCommander::SwitchTarget(target);
  });
}
