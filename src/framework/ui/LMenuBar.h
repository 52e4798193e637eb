// The application's menu bar, read from a menu resource (":/menus/<ID>.json"):
//   {"menus": [{"id": 129, "title": "&File", "items": [
//       {"text": "&New", "command": 2, "shortcut": "Ctrl+N"},
//       {"separator": true},
//       {"text": "Open &Recent", "submenu": 131}, ...]}, ...]}
// Commands are numbers or four-character codes; an item without one answers to its synthetic
// command. Menus that another menu opens as a submenu are not in the bar itself. Shortcuts
// work in every window of the application (not while a modal dialog is up).
//
// Just before a menu shows, every item asks the target (LCommander::GetTarget) for the status
// of its command: enabled, check mark, and the text to show. Choosing an item, or typing its
// shortcut, sends the command to the target with ObeyCommand, if the target enables it then.
#pragma once

#include "framework/core/MacTypes.h"

#include <QString>

#include <memory>
#include <vector>

class LMenu;
class QMenuBar;
class QWidget;

class LMenuBar {
 public:
  // The menu of the system help menu's items: the synthetic command of its item n is
  // 0x406A0000 - n.
  static constexpr ResIDT kHelpMenuID = -16490;

  // Reads the menu bar and makes it the current one. Throws resNotFound or err_ResourceData.
  explicit LMenuBar(ResIDT menuBarID);
  ~LMenuBar();
  LMenuBar(const LMenuBar&) = delete;
  LMenuBar& operator=(const LMenuBar&) = delete;

  static LMenuBar* GetCurrentMenuBar();

  // The menu with `menuID`, or null.
  LMenu* FetchMenu(ResIDT menuID) const;
  // The menus of the bar, left to right.
  const std::vector<LMenu*>& GetBarMenus() const { return mBarMenus; }

  // A Qt menu bar showing these menus, for a window (owned by `parent`).
  QMenuBar* CreateMenuBarWidget(QWidget* parent) const;

  struct SCommandStatus {
    bool enabled = false;
    bool usesMark = false;
    std::uint16_t mark = 0;
    QString name;  // replaces the item's text when not empty
  };
  // What the target says about `command` (disabled when there is no target).
  SCommandStatus FindCommandStatus(CommandT command) const;
  // Sends `command` to the target when the target enables it (beeps otherwise); true when
  // the target handled it.
  bool ProcessCommand(CommandT command) const;

 private:
  void ReadMenus(ResIDT menuBarID);

  std::vector<std::unique_ptr<LMenu>> mMenus;
  std::vector<LMenu*> mBarMenus;
};
