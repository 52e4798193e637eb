// The preference file, held in memory as one byte buffer between loading and saving.
//
// The text is a sequence of lines. The writer ends them with CR LF; the reader takes CR LF, CR
// alone and LF alone each as one line end:
//
//   [General Settings]
//   Recent File 1 = 0, /home/me/patches, Lead.mid
//   Source 0 = 12345
//
// A tag "[name]" at the start of a line (after blanks) opens a section that runs to the next line starting (after blanks) with "[".
// A param line is "name = value, value, ...". Names compare byte for byte, case-sensitive.
// Values carry no quoting: a value ends at "," or the line end, loses its leading blanks and
// trailing spaces. FSSpec values are the one exception: their folder and name
// parts are percent-encoded where a character would break the line (see SetFSSpec).
//
// Seeking is stateful: SeekTag sets where the section begins, SeekParam searches from there
// and sets where the param's values begin, SeekValue and the getters and setters work from
// there. Main thread only; the state is process-wide and not reentrant, and GetString returns
// one shared scratch string that the next read overwrites.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class UPreference {
 public:
  // --- file
  // Loads `name` from the preferences folder (see UFileUtils::FindPreferencesFolder).
  // A successful load replaces the data held and resets every position; a failed one leaves
  // the data as it was. Returns 0 or the error (fnfErr when there is no such file, -1 for an
  // unexpected failure).
  static OSStatus LoadFile(ConstStr255Param name);
  static OSStatus LoadFile(const FSSpec& file);
  // Writes the data as the whole file, atomically: on failure the old file stays as it was
  // and the error is returned. The name form first creates the preferences folder (and any
  // missing folder above it) with mode 0700 when it does not exist yet. Creator, icon and file type have
  // no meaning on Linux and are ignored there.
  static OSStatus SaveFile(ConstStr255Param name, OSType creator, ResIDT iconID, OSType fileType);
  static OSStatus SaveFile(const FSSpec& file, OSType creator, ResIDT iconID, OSType fileType);
  // Frees the data and returns every position to 0.
  static void CleanUp();

  // --- seeking; each sets the position the next level starts from
  // Creating refuses tags holding "]" or a control character, which could not be found again.
  static bool SeekTag(ConstStr255Param tag, bool create);
  // Within the current section. Creating refuses names that could never be found again
  // (holding "=" or a control character, starting with a blank or "[", ending with a space).
  static bool SeekParam(ConstStr255Param name, bool create);
  // Within the current param; creating appends ", " for every missing value.
  static bool SeekValue(std::uint16_t index, bool create);

  // --- the current param's values; `defaultValue` pointers may be null
  // A value that is not a whole decimal number in range gives the default.
  static std::int32_t GetValue(std::int32_t defaultValue, std::uint16_t index = 0);
  static ConstStr255Param GetString(ConstStr255Param defaultValue, std::uint16_t index = 0);
  // Copies at most `maxLength` characters behind a length byte into `out` (which holds
  // maxLength + 1 bytes); returns the length.
  static std::uint8_t GetPString(StringPtr out, ConstStr255Param defaultValue,
                                 std::uint8_t maxLength, std::uint16_t index = 0);
  static void GetPoint(Point& out, const Point* defaultValue, std::uint16_t index = 0);
  static void GetRect(Rect& out, const Rect* defaultValue, std::uint16_t index = 0);
  static void GetFSSpec(FSSpec& out, const FSSpec* defaultValue, std::uint16_t index = 0);

  // Setters return whether the value is stored. SetData (and so SetString) returns false for
  // zero bytes, which leaves the value empty, and refuses bytes holding a line end.
  static bool SetValue(std::int32_t value, std::uint16_t index = 0);
  static bool SetString(ConstStr255Param value, std::uint16_t index = 0);
  static bool SetData(const void* bytes, std::int32_t length, std::uint16_t index = 0);
  static bool SetPoint(const Point& value, std::uint16_t index = 0);
  static bool SetRect(const Rect& value, std::uint16_t index = 0);
  // Volume at `index`, parent folder at index + 1 ("0" for none), name at index + 2. The
  // folder and the name are written with ",", CR, LF, "%", "[", "]" and the blanks at either
  // end percent-encoded, and decoded on reading, so that any folder and file name survive.
  static bool SetFSSpec(const FSSpec& value, std::uint16_t index = 0);

  // --- the same by param name: getters do not create the param, setters do
  static std::int32_t GetParamValue(ConstStr255Param name, std::int32_t defaultValue,
                                    std::uint16_t index = 0);
  static ConstStr255Param GetParamString(ConstStr255Param name, ConstStr255Param defaultValue,
                                         std::uint16_t index = 0);
  static std::uint8_t GetParamPString(ConstStr255Param name, StringPtr out,
                                      ConstStr255Param defaultValue, std::uint8_t maxLength,
                                      std::uint16_t index = 0);
  static void GetParamPoint(ConstStr255Param name, Point& out, const Point* defaultValue,
                            std::uint16_t index = 0);
  static void GetParamRect(ConstStr255Param name, Rect& out, const Rect* defaultValue,
                           std::uint16_t index = 0);
  static void GetParamFSSpec(ConstStr255Param name, FSSpec& out, const FSSpec* defaultValue,
                             std::uint16_t index = 0);
  static bool SetParamValue(ConstStr255Param name, std::int32_t value, std::uint16_t index = 0);
  static bool SetParamString(ConstStr255Param name, ConstStr255Param value,
                             std::uint16_t index = 0);
  static bool SetParamData(ConstStr255Param name, const void* bytes, std::int32_t length,
                           std::uint16_t index = 0);
  static bool SetParamPoint(ConstStr255Param name, const Point& value, std::uint16_t index = 0);
  static bool SetParamRect(ConstStr255Param name, const Rect& value, std::uint16_t index = 0);
  static bool SetParamFSSpec(ConstStr255Param name, const FSSpec& value, std::uint16_t index = 0);

  // --- low-level editing; neither moves the cursor or the tag and param positions
  // Refuses a negative offset, null bytes or a length below 1; an offset beyond the end
  // appends. Returns false with the data unchanged when memory runs out.
  static bool Insert(std::int32_t offset, const void* bytes, std::int32_t length);
  // Removes the bytes from the lower to the higher offset, both included; a higher offset
  // beyond the end counts as the last byte. Nothing happens for a negative offset or when
  // the lower one is at or beyond the end.
  static void Delete(std::int32_t from, std::int32_t to);

  // --- scanning from the cursor; none reads past the data
  static void SkipToNextLine();
  static void SkipWhiteSpace();
  // Reads into the scratch string up to `c` (true, cursor after it) or the line end (false,
  // cursor at the line end or the end); keeps 255 characters at most, drops trailing spaces.
  static bool ReadTo(char c);
  // To just after the next `c` on this line; false at the line end or the end, staying there.
  static bool SkipTo(char c);
  // Like SkipTo, crossing lines; false leaves the cursor at the end.
  static bool FindTo(char c);

  // --- inspection
  static std::span<const std::uint8_t> GetBytes() { return sData; }
  static std::int32_t GetCurrPos() { return sCurrPos; }
  static void SetCurrPos(std::int32_t offset);  // kept within the data

 private:
  struct TextRange {
    std::int32_t begin = 0;
    std::int32_t end = 0;  // exclusive, trailing spaces removed
    bool found = false;
  };

  static std::int32_t DataSize() { return static_cast<std::int32_t>(sData.size()); }
  static bool AtLineEnd();
  static bool IsTagAt(std::int32_t offset, std::string_view name);
  static TextRange ScanTo(char c);
  static std::string ReadLongValue(bool& followedByComma);
  static bool ReadNumber(std::int32_t& value, bool& followedByComma);
  static bool ReadCoordinate(std::int16_t& coordinate);
  static bool ReplaceValue(const void* bytes, std::int32_t length, std::uint16_t index);
  static bool EndsWithLineEnd();
  static void KeepPositionsInData();

  static std::vector<std::uint8_t> sData;
  static std::int32_t sCurrPos;
  static std::int32_t sTagPos;
  static std::int32_t sParamPos;
  static Str255 sWorkString;
};
