#include "support/UCustomKeyFilters.h"

#include "framework/ui/UKeyboard.h"

EKeyStatus UCustomKeyFilters::ASCIICharField(TEHandle, std::uint16_t keyCode,
                                             std::uint16_t& charCode, EventModifiers) {
  const EKeyStatus editing = UKeyFilters::EditingKeyStatus(keyCode, charCode);
  if (editing != keyStatus_PassUp) return editing;
  if (charCode < 0x20 || charCode == char_FwdDelete) return keyStatus_PassUp;
  if (charCode < 0x7F) return keyStatus_Input;
  return keyStatus_Reject;
}

EKeyStatus UCustomKeyFilters::ASCIICharField(const EventRecord& event) {
  std::uint16_t charCode = UKeyboard::CharCode(event);
  return ASCIICharField(nullptr, UKeyboard::KeyCode(event), charCode, 0);
}
