// Menus from a resource: the target is asked for every item's state just before the menu
// shows, items send their commands (or synthetic ones) to the target, and menus are edited
// at run time.
#include "framework/core/LCommander.h"
#include "framework/core/LString.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LPaneData.h"
#include "framework/ui/UCommands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

constexpr CommandT kEnableMe = FourCC("Tone");
constexpr CommandT kMarked = FourCC("Tmrk");
constexpr CommandT kNoCommandItem = UCommands::SyntheticCommand(200, 4);

// A target whose answers the test sets; it records what it is asked and told.
class CScriptedTarget final : public LCommander {
 public:
  struct SAnswer {
    bool enabled = false;
    std::uint16_t mark = noMark;
    const char* name = "";
  };

  std::map<CommandT, SAnswer> answers;
  std::vector<CommandT> asked;
  std::vector<CommandT> obeyed;

  bool ObeyCommand(CommandT command, void*) override {
    obeyed.push_back(command);
    return true;
  }
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override {
    asked.push_back(command);
    const auto found = answers.find(command);
    if (found == answers.end()) return;
    enabled = found->second.enabled;
    usesMark = found->second.mark != noMark;
    mark = found->second.mark;
    LString::FromStd(found->second.name, name);
  }
};

class Menus : public ::testing::Test {
 protected:
  void SetUp() override { LCommander::SwitchTarget(&target); }
  void TearDown() override { LCommander::SwitchTarget(nullptr); }

  void ShowMenu(LMenu& menu) { Q_EMIT menu.GetMacMenuH()->aboutToShow(); }

  CScriptedTarget target;
  LMenuBar bar{9128};
  LMenu& menu = *bar.FetchMenu(200);
};

TEST_F(Menus, TheBarHoldsTheMenusThatAreNoSubmenus) {
  ASSERT_EQ(bar.GetBarMenus().size(), 1u);
  EXPECT_EQ(bar.GetBarMenus()[0]->GetMenuID(), 200);
  EXPECT_EQ(LMenuBar::GetCurrentMenuBar(), &bar);
  EXPECT_EQ(menu.CountItems(), 5);
  EXPECT_EQ(menu.GetItemText(1), QStringLiteral("Enable Me"));
  EXPECT_EQ(menu.GetItemAction(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
  EXPECT_EQ(menu.GetItemAction(5)->menu(), bar.FetchMenu(201)->GetMacMenuH());
}

TEST_F(Menus, BeforeShowingEveryItemAsksTheTargetForItsState) {
  target.answers[kEnableMe] = {true};
  target.answers[kMarked] = {true, checkMark, "Renamed"};
  ShowMenu(menu);
  EXPECT_EQ(target.asked, (std::vector<CommandT>{kEnableMe, kMarked, kNoCommandItem}));

  struct SRow {
    const char* name;
    std::int16_t item;
    bool enabled;
    bool checked;
    QString text;
  };
  const SRow rows[] = {
      {"enabled", 1, true, false, QStringLiteral("&Enable Me")},
      {"renamed and checked", 3, true, true, QStringLiteral("Renamed")},
      {"unanswered: disabled", 4, false, false, QStringLiteral("No Command")},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    QAction* action = menu.GetItemAction(row.item);
    EXPECT_EQ(action->isEnabled(), row.enabled);
    EXPECT_EQ(action->isChecked(), row.checked);
    EXPECT_EQ(action->text(), row.text);
  }

  // The next showing restores what the target no longer renames or marks.
  target.answers[kMarked] = {false};
  ShowMenu(menu);
  EXPECT_EQ(menu.GetItemAction(3)->text(), QStringLiteral("Marked"));
  EXPECT_FALSE(menu.GetItemAction(3)->isChecked());
  EXPECT_FALSE(menu.GetItemAction(3)->isEnabled());
}

TEST_F(Menus, ItemsSendTheirCommandsOnlyWhenTheTargetEnablesThem) {
  target.answers[kNoCommandItem] = {true};
  ShowMenu(menu);
  Q_EMIT menu.GetMacMenuH()->aboutToHide();
  EXPECT_TRUE(menu.GetItemAction(1)->isEnabled()) << "enabled again for its shortcut";

  menu.GetItemAction(4)->trigger();  // no command of its own: the synthetic one
  menu.GetItemAction(1)->trigger();  // disabled by the target when triggered
  EXPECT_EQ(target.obeyed, (std::vector<CommandT>{kNoCommandItem}));
  EXPECT_EQ(kNoCommandItem, -(200 * 65536 + 4));
}

TEST_F(Menus, ItemsCanBeInsertedRenumberedAndRemovedWhileRunning) {
  LMenu& recent = *bar.FetchMenu(201);
  const CommandT first = FourCC("Rcf1");
  EXPECT_EQ(recent.IndexFromCommand(FourCC("Plac")), 1);

  recent.InsertCommand(QStringLiteral("R&D.mid"), first, 0);  // at the top
  recent.RemoveItem(2);                                       // the placeholder
  recent.InsertCommand(LStr255("b.mid"), first + 1, 0);
  ASSERT_EQ(recent.CountItems(), 2);
  EXPECT_EQ(recent.GetItemText(1), QStringLiteral("b.mid"));
  EXPECT_EQ(recent.GetItemText(2), QStringLiteral("R&D.mid")) << "code's texts show as they are";
  EXPECT_EQ(recent.IndexFromCommand(first), 2);

  recent.SetCommand(2, 0);
  EXPECT_EQ(recent.IndexFromCommand(first), 0);
  EXPECT_EQ(recent.CommandFromIndex(2), UCommands::SyntheticCommand(201, 2));
  EXPECT_EQ(recent.IndexFromCommand(UCommands::SyntheticCommand(201, 2)), 2);

  target.answers[first + 1] = {true};
  recent.GetItemAction(1)->trigger();
  EXPECT_EQ(target.obeyed, (std::vector<CommandT>{first + 1}));
}

TEST(MenuResources, DamagedMenuBarsAreRefusedWithAReason) {
  struct SRow {
    const char* name;
    ResIDT id;
    std::int32_t code;
  };
  const SRow rows[] = {
      {"menu without an ID", 9901, err_ResourceData},
      {"the same menu twice", 9902, err_ResourceData},
      {"submenu that does not exist", 9903, err_ResourceData},
      {"unreadable shortcut", 9904, err_ResourceData},
      {"item without text", 9905, err_ResourceData},
      {"command of five characters", 9906, err_ResourceData},
      {"not JSON", 9907, err_ResourceData},
      {"missing resource", 9999, resNotFound},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      LMenuBar bar(row.id);
      ADD_FAILURE() << "accepted";
    } catch (const LException& error) {
      EXPECT_EQ(error.GetErrorCode(), row.code) << error.what();
      EXPECT_NE(std::string(error.what()).find(std::to_string(row.id)), std::string::npos)
          << error.what();
    }
  }
}

TEST(EditorMenuBar, CommandsHaveTheStandardShortcuts) {
  LMenuBar bar(128);
  struct SRow {
    CommandT command;
    const char* shortcut;
  };
  const SRow rows[] = {
      {cmd_New, "Ctrl+N"},          {cmd_Open, "Ctrl+O"},       {cmd_Save, "Ctrl+S"},
      {cmd_SaveAs, "Ctrl+Shift+S"}, {cmd_Close, "Ctrl+W"},      {cmd_Quit, "Ctrl+Q"},
      {FourCC("Pcpy"), "Ctrl+C"},   {FourCC("Ppst"), "Ctrl+V"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.shortcut);
    QAction* found = nullptr;
    for (LMenu* menu : bar.GetBarMenus()) {
      if (std::int16_t index = menu->IndexFromCommand(row.command))
        found = menu->GetItemAction(index);
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->shortcut(), QKeySequence(QString::fromLatin1(row.shortcut)));
    EXPECT_EQ(found->shortcutContext(), Qt::ApplicationShortcut);
  }
  ASSERT_NE(bar.FetchMenu(131), nullptr);
  EXPECT_EQ(bar.FetchMenu(131)->IndexFromCommand(FourCC("Rcnt")), 1);
  EXPECT_NE(bar.FetchMenu(LMenuBar::kHelpMenuID), nullptr);
}

}  // namespace
