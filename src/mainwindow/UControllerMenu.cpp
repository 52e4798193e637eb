#include "mainwindow/UControllerMenu.h"

#include "framework/core/LCommander.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UEventGuard.h"
#include "mainwindow/MainWindowCommands.h"

namespace {

struct SMenuItem {
  const char* text;
  CommandT command;
};

const SMenuItem kItems[] = {
    {"Edit Assignment\u2026", cmd_EditAssignment},
    {"Copy", cmd_CopyPatchParam},
    {"Paste", cmd_PastePatchParam},
    {"Delete", cmd_DeletePatchParam},
};

bool IsEnabled(LCommander& commander, CommandT command) {
  bool enabled = false;
  bool usesMark = false;
  std::uint16_t mark = noMark;
  Str255 name = {0};
  UEventGuard::Run([&] { commander.FindCommandStatus(command, enabled, usesMark, mark, name); });
  return enabled;
}

}  // namespace

std::unique_ptr<QMenu> UControllerMenu::Make(LCommander& commander, QWidget* parent) {
  auto menu = std::make_unique<QMenu>(parent);
  for (const SMenuItem& item : kItems) {
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setEnabled(IsEnabled(commander, item.command));
    const CommandT command = item.command;
    QObject::connect(action, &QAction::triggered, menu.get(), [&commander, command] {
      UEventGuard::Run([&] { commander.ObeyCommand(command, nullptr); });
    });
  }
  // Edit Assignment… does what a click on the controller does.
  menu->setDefaultAction(menu->actions().constFirst());
  return menu;
}
