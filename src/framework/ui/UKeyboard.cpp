#include "framework/ui/UKeyboard.h"

#include "framework/core/TickCount.h"
#include "framework/core/UMacRoman.h"
#include "framework/ui/UKeyFilters.h"

#include <QKeyEvent>

namespace {

struct SSpecialKey {
  int qtKey;
  std::uint16_t charCode;
  std::uint16_t keyCode;
};

constexpr SSpecialKey kSpecialKeys[] = {
    {Qt::Key_Backspace, char_Backspace, 0x33},
    {Qt::Key_Tab, char_Tab, 0x30},
    {Qt::Key_Backtab, char_Tab, 0x30},
    {Qt::Key_Return, char_Return, 0x24},
    {Qt::Key_Enter, char_Enter, 0x4C},
    {Qt::Key_Escape, char_Escape, vkey_Escape},
    {Qt::Key_Clear, char_Escape, vkey_Clear},
    {Qt::Key_Left, char_LeftArrow, 0x7B},
    {Qt::Key_Right, char_RightArrow, 0x7C},
    {Qt::Key_Up, char_UpArrow, 0x7E},
    {Qt::Key_Down, char_DownArrow, 0x7D},
    {Qt::Key_Home, char_Home, 0x73},
    {Qt::Key_End, char_End, 0x77},
    {Qt::Key_PageUp, char_PageUp, 0x74},
    {Qt::Key_PageDown, char_PageDown, 0x79},
    {Qt::Key_Delete, char_FwdDelete, 0x75},
};

const SSpecialKey* findByQtKey(int key) {
  for (const SSpecialKey& special : kSpecialKeys)
    if (special.qtKey == key) return &special;
  return nullptr;
}

const SSpecialKey* findByCodes(std::uint16_t charCode, std::uint16_t keyCode) {
  for (const SSpecialKey& special : kSpecialKeys) {
    if (special.charCode != charCode) continue;
    if (charCode == char_Escape && special.keyCode != keyCode && keyCode != 0) continue;
    return &special;
  }
  return nullptr;
}

std::uint16_t macRomanOf(char32_t character) {
  return UMacRoman::FromUnicode(character).value_or(0xFF);
}

// With Ctrl down the text of a key is a control character; the key itself names the letter.
std::uint16_t commandCharacter(const QKeyEvent& event) {
  const int key = event.key();
  const bool shifted = (event.modifiers() & Qt::ShiftModifier) != 0;
  if (key >= Qt::Key_A && key <= Qt::Key_Z)
    return static_cast<std::uint16_t>((shifted ? 'A' : 'a') + (key - Qt::Key_A));
  if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) return static_cast<std::uint16_t>(key);
  return 0;
}

}  // namespace

std::uint16_t UKeyboard::ModifiersFromQt(Qt::KeyboardModifiers modifiers) {
  std::uint16_t result = 0;
  if (modifiers & Qt::ControlModifier) result |= cmdKey;
  if (modifiers & Qt::ShiftModifier) result |= shiftKey;
  if (modifiers & Qt::AltModifier) result |= optionKey;
  if (modifiers & Qt::MetaModifier) result |= controlKey;
  return result;
}

bool UKeyboard::IsModifierKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
      return true;
    default:
      return false;
  }
}

EventRecord UKeyboard::FromQKeyEvent(const QKeyEvent& event) {
  EventRecord record;
  record.what = keyDown;
  record.when = TickCount();
  record.modifiers = ModifiersFromQt(event.modifiers());
  std::uint16_t charCode = 0;
  std::uint16_t keyCode = 0;
  if (const SSpecialKey* special = findByQtKey(event.key())) {
    charCode = special->charCode;
    keyCode = special->keyCode;
  } else if (record.modifiers & cmdKey) {
    charCode = commandCharacter(event);
  } else if (!event.text().isEmpty()) {
    charCode = macRomanOf(event.text().toStdU32String().front());
  }
  record.message =
      static_cast<std::uint32_t>(charCode) | (static_cast<std::uint32_t>(keyCode) << 8);
  return record;
}

std::unique_ptr<QKeyEvent> UKeyboard::ToQKeyEvent(const EventRecord& event) {
  Qt::KeyboardModifiers modifiers;
  if (event.modifiers & cmdKey) modifiers |= Qt::ControlModifier;
  if (event.modifiers & shiftKey) modifiers |= Qt::ShiftModifier;
  if (event.modifiers & optionKey) modifiers |= Qt::AltModifier;
  const std::uint16_t charCode = CharCode(event);
  if (const SSpecialKey* special = findByCodes(charCode, KeyCode(event))) {
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, special->qtKey, modifiers);
  }
  const QString text =
      QString::fromStdString(UMacRoman::ToUTF8(std::string(1, static_cast<char>(charCode))));
  int key = 0;
  if (charCode >= 'a' && charCode <= 'z')
    key = Qt::Key_A + (charCode - 'a');
  else if (charCode >= 0x20 && charCode <= 0x7E)
    key = charCode;
  return std::make_unique<QKeyEvent>(QEvent::KeyPress, key, modifiers,
                                     (modifiers & Qt::ControlModifier) ? QString() : text);
}

EventRecord UKeyboard::MouseDownRecord(const QPoint& globalPosition,
                                       Qt::KeyboardModifiers modifiers) {
  EventRecord record;
  record.what = mouseDown;
  record.when = TickCount();
  record.where = Point{static_cast<std::int16_t>(globalPosition.y()),
                       static_cast<std::int16_t>(globalPosition.x())};
  record.modifiers = ModifiersFromQt(modifiers);
  return record;
}
