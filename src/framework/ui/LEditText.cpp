#include "framework/ui/LEditText.h"

#include "framework/core/LString.h"
#include "framework/core/UMacRoman.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UKeyboard.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <charconv>
#include <limits>

LEditText::LEditText(const LPaneData& data) : LPane(data), LCommander(data.GetSuperCommander()) {
  mValueMessage = data.GetCode("message", 0);
  Build(data.GetString("text"));
  if (data.Has("maxChars")) SetMaxChars(data.GetInt("maxChars", 0));
  const QString filter = data.GetString("filter", QStringLiteral("printing"));
  if (filter == QLatin1String("integer"))
    mKeyFilter = &UKeyFilters::IntegerField;
  else if (filter != QLatin1String("printing"))
    data.Fail(QStringLiteral("unknown 'filter' '%1'").arg(filter));
}

LEditText::LEditText(LView* superView, PaneIDT paneID, LCommander* superCommander,
                     MessageT valueMessage)
    : LPane(superView, paneID), LCommander(superCommander), mValueMessage(valueMessage) {
  Build({});
}

LEditText::~LEditText() {
  // The line edit may still send focus events while Qt takes the widgets down.
  mLineEdit->removeEventFilter(this);
}

void LEditText::Build(const QString& text) {
  mLineEdit = new QLineEdit(text, this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(mLineEdit);
  setFocusProxy(mLineEdit);
  mLineEdit->installEventFilter(this);
  QObject::connect(mLineEdit, &QLineEdit::textEdited, this,
                   [this] { UEventGuard::Run([this] { UserChangedText(); }); });
}

QString LEditText::GetText() const { return mLineEdit->text(); }

void LEditText::SetText(const QString& text) { mLineEdit->setText(text); }

std::int32_t LEditText::GetValue() const {
  const std::string text = GetText().trimmed().toStdString();
  std::int64_t value = 0;
  const char* first = text.data();
  if (!text.empty() && text.front() == '+') ++first;
  std::from_chars(first, text.data() + text.size(), value);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void LEditText::SetValue(std::int32_t value) { SetText(QString::number(value)); }

void LEditText::SelectAll() { mLineEdit->selectAll(); }

void LEditText::SetMaxChars(int count) { mLineEdit->setMaxLength(count); }

bool LEditText::HandleKeyPress(const EventRecord& event) {
  if (event.modifiers & cmdKey) return LCommander::HandleKeyPress(event);
  std::uint16_t charCode = UKeyboard::CharCode(event);
  const EKeyStatus status = mKeyFilter != nullptr ? mKeyFilter(nullptr, UKeyboard::KeyCode(event),
                                                               charCode, event.modifiers)
                                                  : keyStatus_Input;
  switch (status) {
    case keyStatus_Input:
    case keyStatus_TEDelete:
    case keyStatus_TECursor:
    case keyStatus_ExtraEdit:
      TypeKey(event, charCode);
      return true;
    case keyStatus_Ignore:
      return true;
    case keyStatus_Reject:
      QApplication::beep();
      return true;
    case keyStatus_PassUp:
      break;
  }
  return LCommander::HandleKeyPress(event);
}

void LEditText::TypeKey(const EventRecord& event, std::uint16_t charCode) {
  if (mCurrentKey != nullptr && charCode == UKeyboard::CharCode(event)) {
    mDeliverCurrentKey = true;  // the line edit gets the real key press
    return;
  }
  EventRecord typed = event;
  typed.message = (event.message & ~charCodeMask) | charCode;
  const std::unique_ptr<QKeyEvent> key = UKeyboard::ToQKeyEvent(typed);
  mTypingSynthetic = true;
  QCoreApplication::sendEvent(mLineEdit, key.get());
  mTypingSynthetic = false;
}

bool LEditText::FilterKeyPress(QKeyEvent* event) {
  const EventRecord record = UKeyboard::FromQKeyEvent(*event);
  QKeyEvent* outer = mCurrentKey;
  mCurrentKey = event;
  mDeliverCurrentKey = false;
  bool handled = true;
  UEventGuard::Run([&] { handled = HandleKeyPress(record); });
  const bool deliver = mDeliverCurrentKey || !handled;
  mCurrentKey = outer;
  return !deliver;
}

bool LEditText::eventFilter(QObject* watched, QEvent* event) {
  if (watched != mLineEdit) return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Ctrl keys belong to the menus: let them reach their shortcuts.
      if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ControlModifier) {
        event->ignore();
        return true;
      }
      return false;
    case QEvent::KeyPress:
      if (mTypingSynthetic || UKeyboard::IsModifierKey(*static_cast<QKeyEvent*>(event)))
        return false;
      return FilterKeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::Drop:
      return DropText(*static_cast<QDropEvent*>(event));
    case QEvent::MouseButtonRelease:
      return PasteSelection(*static_cast<QMouseEvent*>(event));
    case QEvent::InputMethod:
      return CommitInputMethodText(*static_cast<QInputMethodEvent*>(event));
    case QEvent::ContextMenu:
      return ShowContextMenu(*static_cast<QContextMenuEvent*>(event));
    case QEvent::FocusIn:
      UEventGuard::Run([this] { SwitchTarget(this); });
      return false;
    case QEvent::FocusOut: {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Another window or a menu took the focus for a while; the field stays the target.
      const bool passing = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
      if (!passing && IsTarget()) UEventGuard::Run([this] { SwitchTarget(GetSuperCommander()); });
      return false;
    }
    default:
      return false;
  }
}

QString LEditText::AcceptedText(const QString& text, QString& leftOut) const {
  QString accepted;
  for (const char32_t character : text.toUcs4()) {
    const QString piece = QString::fromUcs4(&character, 1);
    // Typed keys reach the filter as Mac Roman codes; a character without one is never taken.
    const auto code = UMacRoman::FromUnicode(character);
    std::uint16_t charCode = code.value_or(0);
    const bool takes = code.has_value() &&
                       (mKeyFilter == nullptr ||
                        mKeyFilter(nullptr, 0, charCode, 0) == keyStatus_Input);
    if (takes)
      accepted += piece;
    else if (!leftOut.contains(piece))
      leftOut += piece;
  }
  return accepted;
}

void LEditText::ReportLeftOut(const QString& leftOut, int cutTo) {
  QStringList shown;
  for (const char32_t character : leftOut.toUcs4()) {
    shown << (character > 0x20 && character != 0x7F
                  ? QString::fromUcs4(&character, 1)
                  : QStringLiteral("U+%1").arg(static_cast<unsigned>(character), 4, 16, QLatin1Char('0')).toUpper());
  }
  QStringList notes;
  if (!shown.isEmpty())
    notes << QStringLiteral("Left out what this field does not take: %1").arg(shown.join(u' '));
  if (cutTo >= 0) notes << QStringLiteral("Cut to the %1 characters this field holds").arg(cutTo);
  mLeftOutNotice = notes.join(QStringLiteral("; "));
  QApplication::beep();
  QToolTip::showText(mLineEdit->mapToGlobal(QPoint(0, mLineEdit->height())), mLeftOutNotice,
                     mLineEdit);
}

bool LEditText::TakesWhole(const QString& text) const {
  QString leftOut;
  const QString accepted = AcceptedText(text, leftOut);
  const int kept = mLineEdit->text().size() - mLineEdit->selectedText().size();
  return leftOut.isEmpty() && kept + accepted.size() <= mLineEdit->maxLength();
}

void LEditText::InsertFiltered(const QString& text) {
  mLeftOutNotice.clear();
  QString leftOut;
  QString accepted = AcceptedText(text, leftOut);
  const int kept = mLineEdit->text().size() - mLineEdit->selectedText().size();
  const int room = std::max(0, mLineEdit->maxLength() - kept);
  const bool cut = accepted.size() > room;
  if (cut) accepted.truncate(room);
  mLineEdit->insert(accepted);  // an edit of the user's: the value message follows
  if (!leftOut.isEmpty() || cut) ReportLeftOut(leftOut, cut ? mLineEdit->maxLength() : -1);
}

void LEditText::PasteText(QClipboard::Mode mode) {
  mLeftOutNotice.clear();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
  if (data == nullptr || !data->hasText() || mLineEdit->isReadOnly()) return;
  InsertFiltered(data->text());
}

bool LEditText::DropText(QDropEvent& event) {
  mLeftOutNotice.clear();
  const QMimeData* data = event.mimeData();
  if (data == nullptr || !data->hasText() || mLineEdit->isReadOnly()) return false;
  if (TakesWhole(data->text())) return false;  // the line edit's own drop
  mLineEdit->setCursorPosition(mLineEdit->cursorPositionAt(event.position().toPoint()));
  InsertFiltered(data->text());
  event.setDropAction(Qt::CopyAction);
  event.accept();
  return true;
}

bool LEditText::PasteSelection(const QMouseEvent& event) {
  // X11 pastes the primary selection on a middle click, past the field's rule otherwise.
  if (event.button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
    return false;
  mLineEdit->deselect();
  mLineEdit->setCursorPosition(mLineEdit->cursorPositionAt(event.position().toPoint()));
  PasteText(QClipboard::Selection);
  return true;
}

bool LEditText::CommitInputMethodText(const QInputMethodEvent& event) {
  // Text an input method commits bypasses the key filter: it takes the paste's way.
  if (event.commitString().isEmpty() || mLineEdit->isReadOnly() ||
      TakesWhole(event.commitString()))
    return false;
  InsertFiltered(event.commitString());
  return true;
}

bool LEditText::ShowContextMenu(QContextMenuEvent& event) {
  // The line edit's own menu, with its Paste going through the field's rule.
  const std::unique_ptr<QMenu> menu(mLineEdit->createStandardContextMenu());
  if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
    QObject::disconnect(paste, &QAction::triggered, nullptr, nullptr);
    QObject::connect(paste, &QAction::triggered, this,
                     [this] { UEventGuard::Run([this] { PasteText(); }); });
  }
  menu->exec(event.globalPos());
  return true;
}

void LEditText::UserChangedText() {
  if (mValueMessage != 0) TEditTextMessage(mValueMessage).Send(*this, *this);
}

void LEditText::BeTarget() {
  StartIdling();
  if (!mLineEdit->hasFocus()) mLineEdit->setFocus(Qt::OtherFocusReason);
}

void LEditText::DontBeTarget() {
  StopIdling();
  if (mLineEdit->hasFocus() || window()->focusWidget() == mLineEdit) mLineEdit->clearFocus();
}

void LEditText::SpendTime(const EventRecord&) {}

bool LEditText::ObeyCommand(CommandT command, void* param) {
  switch (command) {
    case cmd_Cut:
      mLineEdit->cut();
      return true;
    case cmd_Copy:
      mLineEdit->copy();
      return true;
    case cmd_Paste:
      PasteText();
      return true;
    case cmd_Clear:
      mLineEdit->del();
      return true;
    case cmd_SelectAll:
      mLineEdit->selectAll();
      return true;
    case cmd_Undo:
    case cmd_Redo:
      // The field's own edits first; once it has none, the command is for the chain.
      if (!CanUndoText(command)) return LCommander::ObeyCommand(command, param);
      if (command == cmd_Undo)
        mLineEdit->undo();
      else
        mLineEdit->redo();
      UserChangedText();  // an edit of the user's like typing
      return true;
    default:
      return LCommander::ObeyCommand(command, param);
  }
}

bool LEditText::CanUndoText(CommandT command) const {
  if (mLineEdit->isReadOnly()) return false;
  return command == cmd_Undo ? mLineEdit->isUndoAvailable() : mLineEdit->isRedoAvailable();
}

void LEditText::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                  std::uint16_t& mark, Str255 name) {
  const bool selection = mLineEdit->hasSelectedText();
  const bool editable = !mLineEdit->isReadOnly();
  switch (command) {
    case cmd_Cut:
    case cmd_Clear:
      enabled = selection && editable;
      return;
    case cmd_Copy:
      enabled = selection;
      return;
    case cmd_Paste: {
      const QMimeData* data = QGuiApplication::clipboard()->mimeData();
      enabled = editable && data != nullptr && data->hasText();
      return;
    }
    case cmd_SelectAll:
      enabled = !mLineEdit->text().isEmpty();
      return;
    case cmd_Undo:
    case cmd_Redo:
      if (CanUndoText(command)) {
        enabled = true;
        LString::CopyPStr(LStr255(command == cmd_Undo ? "Undo Typing" : "Redo Typing"), name);
        return;
      }
      LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
      return;
    default:
      LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
  }
}
