#include "support/CPatchCmdEditField.h"

#include "framework/core/LString.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UKeyboard.h"

#include <QApplication>

CPatchCmdEditField::CPatchCmdEditField(const LPaneData& data)
    : LEditText(data), LAttachment(msg_Event, true) {
  AttachToDispatcher();
}

CPatchCmdEditField::~CPatchCmdEditField() = default;  // LAttachment leaves the dispatcher

void CPatchCmdEditField::AttachToDispatcher() {
  ThrowIfNil(LEventDispatcher::GetCurrentEventDispatcher())->AddAttachment(this);
}

CommandT CPatchCmdEditField::TextCommandOf(CommandT command) {
  switch (command) {
    case cmd_CopyPatchParam:
      return cmd_Copy;
    case cmd_PastePatchParam:
      return cmd_Paste;
    case cmd_DeletePatchParam:
      return cmd_Clear;
    default:
      return command;
  }
}

bool CPatchCmdEditField::ObeyCommand(CommandT command, void* param) {
  return LEditText::ObeyCommand(TextCommandOf(command), param);
}

void CPatchCmdEditField::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                           std::uint16_t& mark, Str255 name) {
  if (command == cmd_DeletePatchParam) {
    LString::CopyPStr(LStr255(STRx_EditorStrings, str_ClearText), name);
  } else if (command == cmd_PastePatchParam) {
    LString::CopyPStr(LStr255(STRx_EditorStrings, str_PasteText), name);
  }
  LEditText::FindCommandStatus(TextCommandOf(command), enabled, usesMark, mark, name);
}

bool CPatchCmdEditField::HandleKeyPress(const EventRecord& event) {
  const std::uint16_t character = UKeyboard::CharCode(event);
  if ((event.modifiers & cmdKey) != 0 && (character == 'a' || character == 'A')) {
    SelectAll();
    SetUpdateCommandStatus(true);
    return true;
  }
  return LEditText::HandleKeyPress(event);
}

void CPatchCmdEditField::ExecuteSelf(MessageT message, void* param) {
  if (!IsTarget() || message != msg_Event || param == nullptr) return;
  const EventRecord& event = *msg_Event.Param(param);
  if (event.what != mouseDown) return;

  // Only a press in the content of this field's own window.
  const QWidget* pressed = QApplication::widgetAt(QPoint(event.where.h, event.where.v));
  LWindow* window = GetContainerWindow();
  if (pressed == nullptr || window == nullptr || LWindow::FetchWindowObject(pressed) != window)
    return;

  Point portPoint = event.where;
  window->GlobalToPortPoint(portPoint);
  // The window's own pane under the press; panes nested deeper are not looked at.
  if (window->FindSubPaneHitBy(portPoint.h, portPoint.v) != this) SwitchTarget(window);
}
