// The text language of the SysEx and free-message templates: hexadecimal bytes with
// placeholders for the controller's value ("DT"), the channel ("1N", "3X") and, in SysEx,
// a checksum ("SS" marks the first covered byte, "S1"/"S2" the checksum byte).
//
// The compilers return the message length (> 0), 0 for an empty free text, or one of the
// negative results below. On a negative result the payload is left half-filled and must
// not be used.
#pragma once

#include "framework/core/MacTypes.h"
#include "utilities/SPrmPatCtrlSysEx.h"

class UMessageTemplate {
 public:
  static constexpr short kBadCharacter = -1;  // neither hex digit, blank nor part of a token
  static constexpr short kTooLong = -2;       // more than 24 message bytes
  // framing, repeated or misplaced tokens, "DT" under a format without data, lone digit
  static constexpr short kBadStructure = -3;
  static constexpr int kMaxMessageBytes = 24;

  // Parses a SysEx template ("F0 ... F7"). `out.info.dataType` selects how many bytes "DT"
  // reserves; `minValue`/`maxValue` are left alone.
  static short CompileSysxStr(ConstStr255Param text, SPrmPatCtrlSysEx& out);
  // Prints a SysEx payload: the edit form ("DT", "SS", "S1") or the list form of the HTML
  // list ("dd", "CSS", "CS1").
  static void MakeSysxStr(const SPrmPatCtrlSysEx& payload, Str255 out, bool listForm);

  // Parses a free message: any bytes, starting with a status byte.
  static short CompileMsgStr(ConstStr255Param text, SPrmPatCtrlSysExFree& out);
  static void MakeMsgStr(const SPrmPatCtrlSysExFree& payload, Str255 out, bool listForm);
};
