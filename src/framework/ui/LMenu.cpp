#include "framework/ui/LMenu.h"

#include "framework/core/LCommander.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UQtText.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <algorithm>

LMenu::LMenu(LMenuBar& owner, ResIDT menuID, const QString& title)
    : mOwner(owner), mMenuID(menuID), mMenu(std::make_unique<QMenu>(title)) {
  QObject::connect(mMenu.get(), &QMenu::aboutToShow, mMenu.get(),
                   [this] { UpdateCommandStatus(); });
  QObject::connect(mMenu.get(), &QMenu::aboutToHide, mMenu.get(), [this] { EnableAllItems(); });
}

LMenu::~LMenu() = default;

CommandT LMenu::CommandFromIndex(std::int16_t index) const {
  if (!IsValidIndex(index)) return 0;
  const CommandT own = ItemAt(index).command;
  return own != 0 ? own : UCommands::SyntheticCommand(mMenuID, index);
}

std::int16_t LMenu::IndexFromCommand(CommandT command) const {
  if (command == 0) return 0;
  for (std::int16_t index = 1; index <= CountItems(); ++index) {
    if (ItemAt(index).command == command) return index;
  }
  std::int16_t item = 0;
  if (UCommands::IsSyntheticCommand(command, mMenuID, item) && IsValidIndex(item) &&
      ItemAt(item).command == 0) {
    return item;
  }
  return 0;
}

QAction* LMenu::InsertItem(SItem item, std::int16_t afterItem) {
  const std::size_t position =
      static_cast<std::size_t>(std::clamp<int>(afterItem, 0, CountItems()));
  QAction* before = position < mItems.size() ? mItems[position].action : nullptr;
  if (item.isSeparator) {
    item.action = new QAction(mMenu.get());
    item.action->setSeparator(true);
  } else if (item.submenu != nullptr) {
    item.action = item.submenu->GetMacMenuH()->menuAction();
    item.submenu->GetMacMenuH()->setTitle(item.text);
  } else {
    item.action = new QAction(item.text, mMenu.get());
    item.action->setShortcutContext(Qt::ApplicationShortcut);
    QAction* action = item.action;
    QObject::connect(action, &QAction::triggered, mMenu.get(), [this, action] { Trigger(action); });
  }
  mMenu->insertAction(before, item.action);
  mItems.insert(mItems.begin() + static_cast<std::ptrdiff_t>(position), item);
  return item.action;
}

void LMenu::InsertCommand(const QString& text, CommandT command, std::int16_t afterItem) {
  InsertItem(SItem{nullptr, command, UQtText::Literal(text)}, afterItem);
}

void LMenu::InsertCommand(ConstStr255Param text, CommandT command, std::int16_t afterItem) {
  InsertCommand(UQtText::FromPStr(text), command, afterItem);
}

void LMenu::InsertSeparator(std::int16_t afterItem) {
  SItem item;
  item.isSeparator = true;
  InsertItem(item, afterItem);
}

void LMenu::InsertSubmenu(LMenu& submenu, const QString& text, std::int16_t afterItem) {
  SItem item;
  item.text = text;
  item.submenu = &submenu;
  InsertItem(item, afterItem);
}

void LMenu::RemoveItem(std::int16_t index) {
  if (!IsValidIndex(index)) return;
  const SItem item = ItemAt(index);
  mItems.erase(mItems.begin() + (index - 1));
  mMenu->removeAction(item.action);
  if (item.submenu == nullptr) delete item.action;
}

void LMenu::SetCommand(std::int16_t index, CommandT command) {
  if (IsValidIndex(index)) mItems[static_cast<std::size_t>(index - 1)].command = command;
}

QString LMenu::GetItemText(std::int16_t index) const {
  if (!IsValidIndex(index)) return {};
  return UQtText::WithoutMnemonics(ItemAt(index).text);
}

void LMenu::SetItemText(std::int16_t index, const QString& text) {
  if (!IsValidIndex(index)) return;
  SItem& item = mItems[static_cast<std::size_t>(index - 1)];
  item.text = UQtText::Literal(text);
  item.action->setText(item.text);
}

void LMenu::SetItemText(std::int16_t index, ConstStr255Param text) {
  SetItemText(index, UQtText::FromPStr(text));
}

void LMenu::SetItemShortcut(std::int16_t index, const QKeySequence& shortcut) {
  if (IsValidIndex(index)) ItemAt(index).action->setShortcut(shortcut);
}

QAction* LMenu::GetItemAction(std::int16_t index) const {
  return IsValidIndex(index) ? ItemAt(index).action : nullptr;
}

void LMenu::UpdateCommandStatus() {
  for (std::int16_t index = 1; index <= CountItems(); ++index) {
    const SItem& item = ItemAt(index);
    if (item.isSeparator || item.submenu != nullptr) continue;
    const LMenuBar::SCommandStatus status = mOwner.FindCommandStatus(CommandFromIndex(index));
    item.action->setEnabled(status.enabled);
    item.action->setCheckable(status.usesMark);
    item.action->setChecked(status.usesMark && status.mark != noMark);
    item.action->setText(status.name.isEmpty() ? item.text : UQtText::Literal(status.name));
  }
  LCommander::SetUpdateCommandStatus(false);
}

void LMenu::EnableAllItems() {
  for (const SItem& item : mItems) item.action->setEnabled(true);
}

void LMenu::Trigger(QAction* action) {
  for (std::int16_t index = 1; index <= CountItems(); ++index) {
    if (ItemAt(index).action == action) {
      mOwner.ProcessCommand(CommandFromIndex(index));
      return;
    }
  }
}
