// The context menu of a controller on the device picture: Edit Assignment…, Copy, Paste and
// Delete. Each item gives its command to the commander the menu is made for (the main
// window), which also says, when the menu is made, which items are enabled: the menu does
// what the window's Edit menu commands do, no more.
#pragma once

#include <QMenu>
#include <memory>

class LCommander;

class UControllerMenu {
 public:
  // A menu whose items send their commands to `commander`; `commander` must outlive it (make
  // `parent` a widget that goes with it).
  static std::unique_ptr<QMenu> Make(LCommander& commander, QWidget* parent);
};
