#include "framework/ui/LApplication.h"

#include "framework/core/LException.h"
#include "framework/ui/LDocument.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UJSONResources.h"
#include "framework/ui/UPeriodicals.h"

#include <QApplication>
#include <QMessageBox>

namespace {
LApplication* sApplication = nullptr;
}

LApplication::LApplication() {
  ThrowIfNil(qobject_cast<QApplication*>(QCoreApplication::instance()));
  QApplication::setQuitOnLastWindowClosed(false);
  if (UJSONResources::Exists(QStringLiteral("menus"), kMenuBarID))
    mMenuBar = std::make_unique<LMenuBar>(kMenuBarID);
  mPreviousDialogHost = StDialogHandler::SetHost(&mDialogHost);
  mPreviousAlertPresenter = UModalAlerts::SetPresenter(&mAlertPresenter);
  sApplication = this;
}

LApplication::~LApplication() {
  DeleteAllSubCommanders();
  UPeriodicals::Stop();
  UModalAlerts::SetPresenter(mPreviousAlertPresenter);
  StDialogHandler::SetHost(mPreviousDialogHost);
  if (sApplication == this) sApplication = nullptr;
}

LApplication* LApplication::GetApplication() { return sApplication; }

std::vector<FSSpec> LApplication::CommandLineFiles() {
  std::vector<FSSpec> files;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i].startsWith(QLatin1Char('-'))) continue;
    files.push_back(FSSpec::FromPath(arguments[i].toStdString()));
  }
  return files;
}

void LApplication::Run() {
  UEventGuard::Run([this] { Initialize(); });
  UPeriodicals::Start();
  SwitchTarget(this);
  const std::vector<FSSpec> files = CommandLineFiles();
  UEventGuard::Run([&] {
    if (files.empty())
      StartUp();
    else
      OpenFilesAtLaunch(files);
  });
  QApplication::exec();
  // Every document agreed to go when quit was asked for.
  DeleteAllSubCommanders();
  UPeriodicals::Stop();
}

void LApplication::ShowAboutBox() {
  QMessageBox::about(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                     QApplication::applicationDisplayName());
}

bool LApplication::AttemptQuit() {
  const std::vector<LCommander*> subs = GetSubCommanders();
  for (LCommander* sub : subs) {
    auto* document = dynamic_cast<LDocument*>(sub);
    if (document != nullptr && !document->AttemptQuitSelf()) return false;
  }
  return true;
}

bool LApplication::ObeyCommand(CommandT command, void* param) {
  switch (command) {
    case cmd_Quit:
      // exit(), not quit(): quit() first closes every window, and a framework window's close
      // goes to its super-commander, which may refuse (the documents have agreed already).
      if (AttemptQuit()) QCoreApplication::exit(0);
      return true;
    case cmd_About:
      ShowAboutBox();
      return true;
    default:
      return LCommander::ObeyCommand(command, param);
  }
}

void LApplication::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                     std::uint16_t& mark, Str255 name) {
  if (command == cmd_Quit || command == cmd_About) {
    enabled = true;
    return;
  }
  LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
}
