#include "framework/ui/LMenuBar.h"

#include "framework/core/LCommander.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UQtText.h"

#include <QApplication>
#include <QJsonArray>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <set>

namespace {

LMenuBar* sCurrentMenuBar = nullptr;

[[noreturn]] void fail(ResIDT menuBarID, const QString& why) {
  LException::ThrowException(
      err_ResourceData, UQtText::ToUTF8(QStringLiteral("menu bar %1: %2").arg(menuBarID).arg(why)));
}

std::int32_t codeOf(ResIDT menuBarID, const QJsonObject& node, const char* key) {
  if (!node.contains(QLatin1String(key))) return 0;
  bool ok = false;
  const std::int32_t code = LPaneData::ParseCode(node.value(QLatin1String(key)), &ok);
  if (!ok)
    fail(menuBarID,
         QStringLiteral("'%1' must be a number or a four-character code").arg(QLatin1String(key)));
  return code;
}

}  // namespace

LMenuBar::LMenuBar(ResIDT menuBarID) {
  ReadMenus(menuBarID);
  sCurrentMenuBar = this;
}

LMenuBar::~LMenuBar() {
  // A submenu's entry leaves its parent menu with the submenu, in either order.
  if (sCurrentMenuBar == this) sCurrentMenuBar = nullptr;
}

LMenuBar* LMenuBar::GetCurrentMenuBar() { return sCurrentMenuBar; }

void LMenuBar::ReadMenus(ResIDT menuBarID) {
  const QJsonObject resource = UJSONResources::Read(QStringLiteral("menus"), menuBarID);
  const QJsonValue menus = resource.value(QLatin1String("menus"));
  if (!menus.isArray()) fail(menuBarID, QStringLiteral("'menus' must be a list"));
  // First every menu, so that items can open menus listed after them.
  for (const QJsonValue& value : menus.toArray()) {
    const QJsonObject node = value.toObject();
    const std::int32_t id = codeOf(menuBarID, node, "id");
    if (!value.isObject() || id == 0 || id < -32768 || id > 32767)
      fail(menuBarID, QStringLiteral("every menu needs an 'id' from -32768 to 32767 other than 0"));
    if (FetchMenu(static_cast<ResIDT>(id)) != nullptr)
      fail(menuBarID, QStringLiteral("menu %1 is listed twice").arg(id));
    mMenus.push_back(std::make_unique<LMenu>(*this, static_cast<ResIDT>(id),
                                             node.value(QLatin1String("title")).toString()));
  }
  std::set<LMenu*> submenus;
  std::size_t menuIndex = 0;
  for (const QJsonValue& value : menus.toArray()) {
    LMenu& menu = *mMenus[menuIndex++];
    const QJsonValue items = value.toObject().value(QLatin1String("items"));
    if (!items.isUndefined() && !items.isArray())
      fail(menuBarID, QStringLiteral("menu %1: 'items' must be a list").arg(menu.GetMenuID()));
    for (const QJsonValue& itemValue : items.toArray()) {
      const QJsonObject item = itemValue.toObject();
      const std::int16_t after = menu.CountItems();
      if (item.value(QLatin1String("separator")).toBool()) {
        menu.InsertSeparator(after);
        continue;
      }
      const QString text = item.value(QLatin1String("text")).toString();
      if (!itemValue.isObject() || text.isEmpty())
        fail(menuBarID, QStringLiteral("menu %1: every item needs a 'text'").arg(menu.GetMenuID()));
      if (item.contains(QLatin1String("submenu"))) {
        LMenu* submenu = FetchMenu(static_cast<ResIDT>(codeOf(menuBarID, item, "submenu")));
        if (submenu == nullptr || submenu == &menu || submenus.contains(submenu))
          fail(menuBarID,
               QStringLiteral("menu %1: a submenu must be another menu of the bar, used once")
                   .arg(menu.GetMenuID()));
        submenus.insert(submenu);
        menu.InsertSubmenu(*submenu, text, after);
        continue;
      }
      QAction* action =
          menu.InsertItem(LMenu::SItem{nullptr, codeOf(menuBarID, item, "command"), text}, after);
      if (item.contains(QLatin1String("shortcut"))) {
        // One shortcut, or a list of them (the first is the one the menu shows).
        const QJsonValue value = item.value(QLatin1String("shortcut"));
        const QJsonArray texts = value.isArray() ? value.toArray() : QJsonArray{value};
        QList<QKeySequence> sequences;
        for (const QJsonValue& text : texts) {
          const QString shortcut = text.toString();
          const QKeySequence sequence =
              QKeySequence::fromString(shortcut, QKeySequence::PortableText);
          if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
            fail(menuBarID, QStringLiteral("menu %1: '%2' is not a shortcut")
                                .arg(menu.GetMenuID())
                                .arg(shortcut));
          sequences.push_back(sequence);
        }
        action->setShortcuts(sequences);
      }
    }
  }
  for (const auto& menu : mMenus) {
    if (!submenus.contains(menu.get())) mBarMenus.push_back(menu.get());
  }
}

LMenu* LMenuBar::FetchMenu(ResIDT menuID) const {
  for (const auto& menu : mMenus) {
    if (menu->GetMenuID() == menuID) return menu.get();
  }
  return nullptr;
}

QMenuBar* LMenuBar::CreateMenuBarWidget(QWidget* parent) const {
  auto* bar = new QMenuBar(parent);
  for (LMenu* menu : mBarMenus) bar->addMenu(menu->GetMacMenuH());
  return bar;
}

LMenuBar::SCommandStatus LMenuBar::FindCommandStatus(CommandT command) const {
  SCommandStatus status;
  LCommander* target = LCommander::GetTarget();
  if (target == nullptr) return status;
  Str255 name;
  name[0] = 0;
  UEventGuard::Run([&] {
    target->FindCommandStatus(command, status.enabled, status.usesMark, status.mark, name);
  });
  status.name = UQtText::FromPStr(name);
  return status;
}

bool LMenuBar::ProcessCommand(CommandT command) const {
  if (!FindCommandStatus(command).enabled) {
    QApplication::beep();
    return false;
  }
  bool handled = false;
  UEventGuard::Run([&] { handled = LCommander::GetTarget()->ObeyCommand(command, nullptr); });
  return handled;
}
