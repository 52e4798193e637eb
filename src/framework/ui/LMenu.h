// One menu of the menu bar: items counted from 1 (separators count), each with a text and a
// command (0: none; the item then answers to its synthetic command). Items can be inserted,
// removed and given commands while the program runs.
#pragma once

#include "framework/core/MacTypes.h"

#include <QString>

#include <memory>
#include <vector>

class LMenuBar;
class QAction;
class QKeySequence;
class QMenu;

class LMenu {
 public:
  LMenu(LMenuBar& owner, ResIDT menuID, const QString& title);
  ~LMenu();
  LMenu(const LMenu&) = delete;
  LMenu& operator=(const LMenu&) = delete;

  ResIDT GetMenuID() const { return mMenuID; }
  QMenu* GetMacMenuH() const { return mMenu.get(); }
  std::int16_t CountItems() const { return static_cast<std::int16_t>(mItems.size()); }

  // The command of item `index`: its own, else its synthetic command; 0 outside the menu.
  CommandT CommandFromIndex(std::int16_t index) const;
  // The first item with `command` (a synthetic command names its item); 0 when none has it.
  std::int16_t IndexFromCommand(CommandT command) const;

  // Inserts an item after item `afterItem` (0: first; past the end: last). The text shows as
  // it is (an '&' is not a mnemonic).
  void InsertCommand(const QString& text, CommandT command, std::int16_t afterItem);
  void InsertCommand(ConstStr255Param text, CommandT command, std::int16_t afterItem);
  void InsertSeparator(std::int16_t afterItem);
  // Inserts an item that opens `submenu`.
  void InsertSubmenu(LMenu& submenu, const QString& text, std::int16_t afterItem);
  void RemoveItem(std::int16_t index);
  void SetCommand(std::int16_t index, CommandT command);

  // The item's own text (its menu text until a command status replaces it while shown).
  QString GetItemText(std::int16_t index) const;
  void SetItemText(std::int16_t index, const QString& text);
  void SetItemText(std::int16_t index, ConstStr255Param text);
  void SetItemShortcut(std::int16_t index, const QKeySequence& shortcut);
  // The item's Qt action; null outside the menu.
  QAction* GetItemAction(std::int16_t index) const;

  // Gives every item the state its command has for the target now (enabled, check mark, text).
  void UpdateCommandStatus();
  // Enables every item again, so that shortcuts reach the commands, which are checked when
  // they are triggered.
  void EnableAllItems();

 private:
  friend class LMenuBar;

  struct SItem {
    QAction* action = nullptr;  // owned by the menu
    CommandT command = 0;
    QString text;  // the own text, in Qt's form ('&' marks a mnemonic)
    bool isSeparator = false;
    LMenu* submenu = nullptr;
  };

  // Inserts a command item whose text is given in Qt's form.
  QAction* InsertItem(SItem item, std::int16_t afterItem);
  bool IsValidIndex(std::int16_t index) const { return index >= 1 && index <= CountItems(); }
  const SItem& ItemAt(std::int16_t index) const {
    return mItems[static_cast<std::size_t>(index - 1)];
  }
  void Trigger(QAction* action);

  LMenuBar& mOwner;
  ResIDT mMenuID;
  std::unique_ptr<QMenu> mMenu;
  std::vector<SItem> mItems;
};
