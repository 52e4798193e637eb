// Length-prefixed (Pascal) strings: a length byte followed by up to 255 bytes.
#pragma once

#include "framework/core/MacTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

class LString {
 public:
  // Copies `source` into `destination`, which holds `destinationSize` bytes including the
  // length byte; longer text is cut. Returns `destination`.
  static StringPtr CopyPStr(ConstStr255Param source, StringPtr destination,
                            std::size_t destinationSize = sizeof(Str255));

  // Stores `text` as a length-prefixed string in a buffer of `destinationSize` bytes.
  static StringPtr FromStd(std::string_view text, StringPtr destination,
                           std::size_t destinationSize = sizeof(Str255));

  // The characters of a length-prefixed string (null gives an empty string).
  static std::string ToStd(ConstStr255Param text);
  static std::string_view View(ConstStr255Param text);

  // Appends to a length-prefixed string of capacity 255; what does not fit is dropped.
  static void Append(StringPtr text, std::string_view more);
};

// A length-prefixed string of up to 255 characters held by value.
class LStr255 {
 public:
  LStr255() { mText[0] = 0; }
  LStr255(const char* text) { LString::FromStd(text ? text : "", mText); }  // NOLINT
  LStr255(std::string_view text) { LString::FromStd(text, mText); }         // NOLINT
  LStr255(ConstStr255Param text) { LString::CopyPStr(text, mText); }        // NOLINT
  // Item `index` (from 1) of string list `listID`; empty when there is none.
  LStr255(ResIDT listID, std::int16_t index);

  LStr255& operator+=(std::string_view more) {
    LString::Append(mText, more);
    return *this;
  }

  operator ConstStr255Param() const { return mText; }  // NOLINT
  StringPtr TextPtr() { return mText; }
  std::uint8_t Length() const { return mText[0]; }
  std::string Std() const { return LString::ToStd(mText); }

 private:
  Str255 mText;
};
