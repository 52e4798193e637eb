// An edit field in a window whose commands copy, paste and delete controller assignments
// ('Pcpy', 'Ppst', 'Pdel'). While the field is the target those commands edit its text instead
// (copy, paste, clear) and the menu shows texts that say so (items 5 and 7 of string list
// 1000); Ctrl-A selects all of it. It watches every mouse press in its window: a press on
// another pane of the window hands the target back to the window, so the window's own
// commands apply again.
//
// Created from layouts as class 'Pced'. Construction needs the application's event dispatcher
// (err_NilPointer without one); the field leaves it when destroyed.
#pragma once

#include "framework/ui/LAttachment.h"
#include "framework/ui/LEditText.h"

constexpr CommandT cmd_CopyPatchParam = static_cast<CommandT>(FourCC("Pcpy"));
constexpr CommandT cmd_PastePatchParam = static_cast<CommandT>(FourCC("Ppst"));
constexpr CommandT cmd_DeletePatchParam = static_cast<CommandT>(FourCC("Pdel"));

// String list 1000: item texts of the assignment commands.
constexpr ResIDT STRx_EditorStrings = 1000;
constexpr std::int16_t str_PasteAssignment = 4;
constexpr std::int16_t str_PasteText = 5;
constexpr std::int16_t str_DeleteAssignment = 6;
constexpr std::int16_t str_ClearText = 7;
// Items 8 and 9 are the application's.
constexpr std::int16_t str_RequestIncomplete = 10;
constexpr std::int16_t str_RequestCancelled = 11;

class CPatchCmdEditField : public LEditText, public LAttachment {
 public:
  static constexpr ClassIDT class_ID = FourCC("Pced");

  explicit CPatchCmdEditField(const LPaneData& data);
  ~CPatchCmdEditField() override;

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  bool HandleKeyPress(const EventRecord& event) override;

  // The text command a patch command stands for while the field is the target; others
  // unchanged.
  static CommandT TextCommandOf(CommandT command);

 protected:
  // Sees every event before it is dispatched (msg_Event, param: the EventRecord).
  void ExecuteSelf(MessageT message, void* param) override;

 private:
  void AttachToDispatcher();
};
