#include "framework/ui/UDesktop.h"

#include "framework/ui/LWindow.h"

#include <QApplication>

bool UDesktop::WindowIsSelected(const LWindow* window) {
  return window != nullptr && window->isActiveWindow();
}

LWindow* UDesktop::FetchTopWindow() {
  if (LWindow* active = LWindow::FetchWindowObject(QApplication::activeWindow())) return active;
  // Qt lists top-level widgets with no order; prefer a visible window without a parent window.
  LWindow* found = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = dynamic_cast<LWindow*>(widget);
    if (window == nullptr || !window->isVisible()) continue;
    if (found == nullptr || window->parentWidget() == nullptr) found = window;
  }
  return found;
}

void UDesktop::Resume() {
  if (LWindow* window = FetchTopWindow()) window->Select();
}
