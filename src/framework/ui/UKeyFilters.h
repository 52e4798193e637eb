// Key filters of edit fields: a filter looks at a typed key and tells the field what to do
// with it. Qt-free, so that filters can be written and tested anywhere.
#pragma once

#include <cstdint>

// What an edit field does with a key.
enum EKeyStatus : std::int16_t {
  keyStatus_Input = 0,      // insert the character
  keyStatus_TEDelete = 1,   // the delete key (backspace)
  keyStatus_TECursor = 2,   // a cursor key
  keyStatus_ExtraEdit = 3,  // home, end, page up/down, forward delete, clear
  keyStatus_Ignore = 4,     // swallow the key
  keyStatus_Reject = 5,     // swallow it with a beep
  keyStatus_PassUp = 6      // hand it to the next commander
};

using EventModifiers = std::uint16_t;

// The field's text record as the filter sees it; filters here do not look into it.
struct TERecord;
using TEHandle = TERecord*;

// `charCode` may be changed by the filter (the field then inserts the new character).
using TEKeyFilterFunc = EKeyStatus (*)(TEHandle te, std::uint16_t keyCode, std::uint16_t& charCode,
                                       EventModifiers modifiers);

// Character codes of the keys the filters know.
constexpr std::uint16_t char_Home = 0x01;
constexpr std::uint16_t char_Enter = 0x03;
constexpr std::uint16_t char_End = 0x04;
constexpr std::uint16_t char_Backspace = 0x08;
constexpr std::uint16_t char_Tab = 0x09;
constexpr std::uint16_t char_PageUp = 0x0B;
constexpr std::uint16_t char_PageDown = 0x0C;
constexpr std::uint16_t char_Return = 0x0D;
constexpr std::uint16_t char_Escape = 0x1B;  // also the clear key, told apart by its key code
constexpr std::uint16_t char_LeftArrow = 0x1C;
constexpr std::uint16_t char_RightArrow = 0x1D;
constexpr std::uint16_t char_UpArrow = 0x1E;
constexpr std::uint16_t char_DownArrow = 0x1F;
constexpr std::uint16_t char_FwdDelete = 0x7F;

// Virtual key codes where a character code alone is ambiguous.
constexpr std::uint16_t vkey_Escape = 0x35;
constexpr std::uint16_t vkey_Clear = 0x47;

class UKeyFilters {
 public:
  static bool IsTEDeleteKey(std::uint16_t charCode) { return charCode == char_Backspace; }
  static bool IsTECursorKey(std::uint16_t charCode) {
    return charCode >= char_LeftArrow && charCode <= char_DownArrow;
  }
  static bool IsExtraEditKey(std::uint16_t keyCode, std::uint16_t charCode);
  static bool IsPrintingChar(std::uint16_t charCode) {
    return charCode >= 0x20 && charCode != char_FwdDelete;
  }

  // The editing keys of every filter; keyStatus_PassUp for other keys.
  static EKeyStatus EditingKeyStatus(std::uint16_t keyCode, std::uint16_t charCode);

  // Any printing character; other keys edit or pass up. The default of an edit field.
  static EKeyStatus PrintingCharField(TEHandle, std::uint16_t keyCode, std::uint16_t& charCode,
                                      EventModifiers);
  // Digits, and a minus sign; other printing characters are rejected.
  static EKeyStatus IntegerField(TEHandle, std::uint16_t keyCode, std::uint16_t& charCode,
                                 EventModifiers);
};
