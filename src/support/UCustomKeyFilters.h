// Key filters of the editor's own text fields (see UKeyFilters for what a filter answers).
#pragma once

#include "framework/core/EventRecord.h"
#include "framework/ui/UKeyFilters.h"

class UCustomKeyFilters {
 public:
  // Printable 7-bit ASCII only: editing keys edit, 0x20..0x7E are typed, other control
  // characters (return, tab, escape, ...) are passed up, characters 0x80..0xFF are refused.
  // `keyCode` is the virtual key code, as edit fields hand it to their filters.
  static EKeyStatus ASCIICharField(TEHandle te, std::uint16_t keyCode, std::uint16_t& charCode,
                                   EventModifiers modifiers);
  // The same rule for a key event record, with no text record and no modifiers.
  static EKeyStatus ASCIICharField(const EventRecord& event);
};
