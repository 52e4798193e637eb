// A one-line text field that is also a commander and a periodical.
//   - It is the target while it has the keyboard focus: it becomes the target when it gets the
//     focus, and DontBeTarget hands the target to its super-commander when the focus goes to
//     another pane of the window. While it is the target it is idled (SpendTime).
//   - Every key goes through HandleKeyPress: keys with Ctrl are passed up the chain; others go
//     through the key filter, whose answer decides (input and editing keys edit the text,
//     ignore swallows, reject beeps, pass up hands the key to the super-commander). A key that
//     nobody up the chain handles is left to the field's own Qt handling (Tab, undo, ...).
//   - Edits by the user call UserChangedText, which broadcasts the value message with a
//     pointer to the field. Setting the text in code broadcasts nothing.
//   - Pasted and dropped text follows the key filter like typing: characters the filter does
//     not take as input (or that have no Mac Roman code) are left out, and the user is told
//     once, with a short note at the field (ReportLeftOut); the text is never changed silently.
//   - It answers cut, copy, paste, clear and select all, and undo and redo while it has edits
//     of its own to undo or redo (otherwise they go up the chain).
#pragma once

#include "framework/core/LBroadcaster.h"
#include "framework/core/LCommander.h"
#include "framework/core/LPeriodical.h"
#include "framework/core/TMessage.h"
#include "framework/ui/LPane.h"
#include "framework/ui/UKeyFilters.h"

#include <QClipboard>
#include <QString>

class QContextMenuEvent;
class QDropEvent;
class QInputMethodEvent;
class QMouseEvent;
class LEditText;
class QKeyEvent;
class QLineEdit;

// The value message of an edit field: its param is the field.
using TEditTextMessage = TMessage<LEditText>;

class LEditText : public LPane, public LCommander, public LPeriodical, public LBroadcaster {
 public:
  static constexpr ClassIDT class_ID = FourCC("etxt");

  // Reads "text", "message", "maxChars" and "filter" ("printing", the default, or "integer").
  explicit LEditText(const LPaneData& data);
  LEditText(LView* superView, PaneIDT paneID, LCommander* superCommander, MessageT valueMessage);
  ~LEditText() override;

  QString GetText() const;
  void SetText(const QString& text);
  QString GetDescriptorText() const override { return GetText(); }
  void SetDescriptorText(const QString& text) override { SetText(text); }

  // The number the text starts with (after blanks; 0 when there is none), and setting it.
  std::int32_t GetValue() const;
  void SetValue(std::int32_t value);

  void SelectAll();
  void SetKeyFilter(TEKeyFilterFunc filter) { mKeyFilter = filter; }
  TEKeyFilterFunc GetKeyFilter() const { return mKeyFilter; }
  void SetMaxChars(int count);
  MessageT GetValueMessage() const { return mValueMessage; }
  void SetValueMessage(MessageT message) { mValueMessage = message; }
  QLineEdit* GetLineEdit() const { return mLineEdit; }
  // The note of the last paste or drop that left characters out; empty when it took all.
  const QString& GetLeftOutNotice() const { return mLeftOutNotice; }
  // `text` without the characters the field does not take; those are added to `leftOut`.
  QString AcceptedText(const QString& text, QString& leftOut) const;

  bool HandleKeyPress(const EventRecord& event) override;
  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  void SpendTime(const EventRecord& event) override;

 protected:
  virtual void UserChangedText();
  // Tells the user, once for a paste or drop, which characters were left out, and when the
  // text was cut to the field's `cutTo` characters (-1: it was not).
  virtual void ReportLeftOut(const QString& leftOut, int cutTo = -1);
  void BeTarget() override;
  void DontBeTarget() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build(const QString& text);
  bool CanUndoText(CommandT command) const;
  // Pastes the clipboard's text (or, for a middle click, the selection's) as far as the field
  // takes it.
  void PasteText(QClipboard::Mode mode = QClipboard::Clipboard);
  // Inserts `text` at the cursor without the characters the field does not take and cut to
  // its length; tells the user once when anything was left out.
  void InsertFiltered(const QString& text);
  // Whether `text` would go in whole.
  bool TakesWhole(const QString& text) const;
  bool DropText(QDropEvent& event);
  bool PasteSelection(const QMouseEvent& event);
  bool CommitInputMethodText(const QInputMethodEvent& event);
  bool ShowContextMenu(QContextMenuEvent& event);
  // Has the line edit act on the key of `event` (with the filter's character).
  void TypeKey(const EventRecord& event, std::uint16_t charCode);
  bool FilterKeyPress(QKeyEvent* event);

  QLineEdit* mLineEdit = nullptr;
  TEKeyFilterFunc mKeyFilter = &UKeyFilters::PrintingCharField;
  MessageT mValueMessage = 0;
  QKeyEvent* mCurrentKey = nullptr;  // the Qt key press being handled, if any
  bool mDeliverCurrentKey = false;
  bool mTypingSynthetic = false;
  QString mLeftOutNotice;
};
