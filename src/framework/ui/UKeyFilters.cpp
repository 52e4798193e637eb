#include "framework/ui/UKeyFilters.h"

bool UKeyFilters::IsExtraEditKey(std::uint16_t keyCode, std::uint16_t charCode) {
  switch (charCode) {
    case char_Home:
    case char_End:
    case char_PageUp:
    case char_PageDown:
    case char_FwdDelete:
      return true;
    case char_Escape:
      return keyCode == vkey_Clear;
    default:
      return false;
  }
}

EKeyStatus UKeyFilters::EditingKeyStatus(std::uint16_t keyCode, std::uint16_t charCode) {
  if (IsTEDeleteKey(charCode)) return keyStatus_TEDelete;
  if (IsTECursorKey(charCode)) return keyStatus_TECursor;
  if (IsExtraEditKey(keyCode, charCode)) return keyStatus_ExtraEdit;
  return keyStatus_PassUp;
}

EKeyStatus UKeyFilters::PrintingCharField(TEHandle, std::uint16_t keyCode, std::uint16_t& charCode,
                                          EventModifiers) {
  const EKeyStatus editing = EditingKeyStatus(keyCode, charCode);
  if (editing != keyStatus_PassUp) return editing;
  return IsPrintingChar(charCode) ? keyStatus_Input : keyStatus_PassUp;
}

EKeyStatus UKeyFilters::IntegerField(TEHandle, std::uint16_t keyCode, std::uint16_t& charCode,
                                     EventModifiers) {
  const EKeyStatus editing = EditingKeyStatus(keyCode, charCode);
  if (editing != keyStatus_PassUp) return editing;
  if (!IsPrintingChar(charCode)) return keyStatus_PassUp;
  const bool numeric = (charCode >= '0' && charCode <= '9') || charCode == '-';
  return numeric ? keyStatus_Input : keyStatus_Reject;
}
