// The document's window (class 'Mwnd', layout 1000): the patch title field (pane 1, a
// CPatchCmdEditField) above the device picture (pane 2, a CMainPicture).
//   - A click on a controller, or Ctrl-F and Ctrl-B (next and previous; 49 wraps to 0 and
//     back; with none selected both give 0), selects it and opens it in the assign dialog,
//     which the window creates on first use and owns. A dialog already open is applied
//     before it switches; when it refuses its record it stays on its controller and the
//     selection does not move. A click on the picture while the dialog is in front switches
//     the dialog and leaves it in front. Backspace clears the selected assignment.
//   - With the picture focused, the arrow keys select the neighbouring controller (an open
//     assign dialog follows without coming to the front) and Return opens the selected one.
//     A right-click selects the controller under it and offers Edit Assignment…, Copy, Paste
//     and Delete, which run the window's commands. The selection line under the picture
//     tells what the selected controller does.
//   - 'Pcpy', 'Ppst', 'Pdel' copy, paste and clear the selected controller's assignment
//     through the clipboard flavour 'Pprm' (one SPatchParam, 168 bytes; other sizes are not
//     pasted). While the assign dialog is open they work on its unapplied record: copy takes
//     it, paste and delete show their record in it (the patch changes when it is applied).
//     'Smsg' shows or hides the captions.
//   - 'Send' applies the open assign dialog first (a refused record stops the send); 'Send'
//     and 'Reqt' confirm (dialogs 3001 and 3000) and run the patch's transfer. A request is
//     one undo step; one that did not bring all 50 controllers (cancelled or failed) leaves
//     the patch modified and says so in the status line.
//   - Patch files dropped on the window are opened on the next pass of the event loop, the
//     first file of a drop only, by sending 'Drop' (cmd_OpenDroppedFile, param: FSSpec*) up
//     the commander chain to the application. Drops are refused while a command of the window
//     runs (mBusy), while a dropped file waits, and while an error alert is up.
// The window listens to the patch: 'Tlod' and 'Init' set the title field without marking the
// patch modified; typing in the field ('Tchg') sets the patch title. Main thread only.
#pragma once

#include "document/CPatch.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LListener.h"
#include "framework/core/LPeriodical.h"
#include "framework/ui/LDragAndDrop.h"
#include "framework/ui/LWindow.h"

#include <QPointer>

class CMainPicture;
class CMsgAssignDialog;
class LEditText;
struct SControllerMenuRequest;

class CMainWindow : public LWindow, public LDragAndDrop, public LPeriodical, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Mwnd");
  static constexpr ResIDT kLayoutID = 1000;
  static constexpr ResIDT kControlListID = 1000;
  static constexpr PaneIDT kTitleFieldID = 1;
  static constexpr PaneIDT kPictureID = 2;
  // A line of text under the picture for what the user should know of the last command.
  static constexpr PaneIDT kStatusLineID = 3;
  // A line under the picture that tells what the selected controller does.
  static constexpr PaneIDT kSelectionLineID = 4;
  // The request confirmation's warning about unsaved changes, hidden unless there are some.
  static constexpr PaneIDT kUnsavedChangesPane = 5;
  // The send confirmation's "Verify after sending" box, and why it is disabled when it is.
  static constexpr PaneIDT kVerifyBoxPane = 6;
  static constexpr PaneIDT kVerifyReasonPane = 7;
  // The clipboard flavour of one assignment.
  static constexpr ResType kPatchParamFlavor = FourCC("Pprm");

  explicit CMainWindow(const LPaneData& data);
  ~CMainWindow() override;

  // Throws err_NilPointer for null. The window and its picture listen to the patch.
  void SetPatch(CPatch* patch);
  CPatch* GetPatch() const { return mPatch; }
  CMainPicture* GetPicture() const { return mPicture; }
  LEditText* GetTitleField() const { return mTitleField; }
  // A command of the window runs, or a dropped file waits to be opened.
  bool IsBusy() const { return mBusy; }
  // The status line's text; every command of the window clears it first.
  QString GetStatusText() const;
  void ShowStatus(const QString& text);
  // The selection line's text: what the selected controller does.
  QString GetSelectionText() const;

  virtual void CopyPatchParam();
  virtual void PastePatchParam();
  virtual void DeletePatchParam();
  // Whether the cursor over the window should be the window's own even while it is inactive.
  virtual bool NeedToAdjustCursor(const Point& portPoint);
  // Opens controller `index` in the assign dialog (applying the dialog's edits first when it
  // shows another controller) and selects it.
  virtual void OpenAssignDialog(long index);
  // The assign dialog while it is open, else null.
  CMsgAssignDialog* GetAssignDialog() const;

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  void ClickInContent(const EventRecord& event) override;
  bool HandleKeyPress(const EventRecord& event) override;
  void ListenToMessage(MessageT message, void* param) override;
  // Forgets the assign dialog when it closes.
  bool AllowSubRemoval(LCommander* sub) override;
  // The repeater that opens a dropped file.
  void SpendTime(const EventRecord& event) override;

  bool ItemIsAcceptable(DragReference drag, ItemReference item) override;
  void DoDragReceive(DragReference drag) override;
  void ReceiveDragItem(DragReference drag, DragAttributes attributes, ItemReference item,
                       Rect& itemBounds) override;

 protected:
  void FinishCreateSelf() override;

 private:
  void RequestPatch();
  void SendPatch();
  // Runs confirmation dialog `dialogID` until OK or Cancel; true for OK.
  // Asks with dialog `dialogID`; for a send, `verify` gives and takes the Verify choice.
  bool ConfirmTransfer(ResIDT dialogID, bool* verify = nullptr);
  void ShowRequestOutcome(CPatch::ERetrieveOutcome outcome, bool stepKept);
  void ShowSendReport(const CPatch::STransmitReport& report);
  // The controller `step` places after the selected one (wrapping), 0 with none selected.
  long SteppedControllerIndex(long step) const;
  void SetTitleField(ConstStr255Param title);
  // Selects controller `index`, switching an open assign dialog to it (without bringing it
  // forward) once it has applied its edits; false, and nothing changed, when it refuses them.
  bool SelectController(long index);
  void ShowSelection();
  void ShowControllerMenu(const SControllerMenuRequest& request);

  CPatch* mPatch = nullptr;          // the document's, not owned
  // Owned as a sub-commander; the guard also forgets it should it go any other way.
  QPointer<CMsgAssignDialog> mAssignDialog;
  CMainPicture* mPicture = nullptr;  // pane 2, owned by the view hierarchy
  LEditText* mTitleField = nullptr;  // pane 1, owned by the view hierarchy
  LPane* mStatusLine = nullptr;      // pane 3, owned by the view hierarchy
  LPane* mSelectionLine = nullptr;   // pane 4, owned by the view hierarchy
  bool mClickHandled = false;
  bool mBusy = false;
  FSSpec mDroppedFile;
};
