#include "framework/ui/LDocApplication.h"

#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"

void LDocApplication::ChooseDocument() {
  UNavServicesDialogs::LFileChooser chooser;
  if (chooser.AskOpenFile()) SendAEOpenDocList(chooser.GetFileDescList());
}

void LDocApplication::SendAEOpenDoc(FSSpec& file) { OpenDocument(&file); }

void LDocApplication::SendAEOpenDocList(const std::vector<FSSpec>& files) {
  for (FSSpec file : files) OpenDocument(&file);
}

void LDocApplication::SendAECreateDocument() { MakeNewDocument(); }

bool LDocApplication::ObeyCommand(CommandT command, void* param) {
  switch (command) {
    case cmd_New:
      SendAECreateDocument();
      return true;
    case cmd_Open:
      ChooseDocument();
      return true;
    default:
      return LApplication::ObeyCommand(command, param);
  }
}

void LDocApplication::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                        std::uint16_t& mark, Str255 name) {
  if (command == cmd_New || command == cmd_Open) {
    enabled = true;
    return;
  }
  LApplication::FindCommandStatus(command, enabled, usesMark, mark, name);
}
