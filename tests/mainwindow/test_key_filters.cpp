// The printable-ASCII key filter of the title and message fields.
#include "framework/ui/UKeyboard.h"
#include "support/UCustomKeyFilters.h"

#include <gtest/gtest.h>

namespace {

struct SKeyRow {
  const char* name;
  std::uint16_t charCode;
  std::uint16_t keyCode;  // virtual key code
  EKeyStatus expected;
};

const SKeyRow kKeyRows[] = {
    {"capital A", 'A', 0x00, keyStatus_Input},
    {"tilde", '~', 0x32, keyStatus_Input},
    {"space", ' ', 0x31, keyStatus_Input},
    {"digit", '7', 0x1A, keyStatus_Input},
    {"backspace", char_Backspace, 0x33, keyStatus_TEDelete},
    {"left arrow", char_LeftArrow, 0x7B, keyStatus_TECursor},
    {"down arrow", char_DownArrow, 0x7D, keyStatus_TECursor},
    {"home", char_Home, 0x73, keyStatus_ExtraEdit},
    {"end", char_End, 0x77, keyStatus_ExtraEdit},
    {"page up", char_PageUp, 0x74, keyStatus_ExtraEdit},
    {"page down", char_PageDown, 0x79, keyStatus_ExtraEdit},
    {"forward delete", char_FwdDelete, 0x75, keyStatus_ExtraEdit},
    {"clear", char_Escape, vkey_Clear, keyStatus_ExtraEdit},
    {"escape", char_Escape, vkey_Escape, keyStatus_PassUp},
    {"return", char_Return, 0x24, keyStatus_PassUp},
    {"enter", char_Enter, 0x4C, keyStatus_PassUp},
    {"tab", char_Tab, 0x30, keyStatus_PassUp},
    {"accented e (Mac Roman 0x8E)", 0x8E, 0x00, keyStatus_Reject},
    {"non-breaking space (0xCA)", 0xCA, 0x00, keyStatus_Reject},
    {"a character without a Mac Roman form", 0xFF, 0x00, keyStatus_Reject},
};

TEST(UCustomKeyFilters, ASCIICharFieldTakesPrintable7BitCharactersOnly) {
  for (const SKeyRow& row : kKeyRows) {
    SCOPED_TRACE(row.name);
    std::uint16_t charCode = row.charCode;
    EXPECT_EQ(UCustomKeyFilters::ASCIICharField(nullptr, row.keyCode, charCode, 0), row.expected);
    EXPECT_EQ(charCode, row.charCode) << "the character is left as it was";
  }
}

TEST(UCustomKeyFilters, TheEventFormReadsTheKeyAndCharacterOfTheRecord) {
  for (const SKeyRow& row : kKeyRows) {
    SCOPED_TRACE(row.name);
    EventRecord event;
    event.what = keyDown;
    event.message = (static_cast<std::uint32_t>(row.keyCode) << 8) | row.charCode;
    event.modifiers = cmdKey;  // not looked at
    EXPECT_EQ(UCustomKeyFilters::ASCIICharField(event), row.expected);
  }
}

}  // namespace
