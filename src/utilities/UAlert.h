// The one kind of error alert: a caution alert with a message, usually from string list 1001.
// The alert is shown by the presenter installed with UModalAlerts (GUI, terminal or test).
#pragma once

#include "framework/core/MacTypes.h"

#include <string>
#include <string_view>

constexpr ResIDT STRx_Errors = 1001;
constexpr ResIDT ALRT_Caution = 10000;

// Items of string list 1001.
enum EErrorMessage : std::int16_t {
  err_HelpFailed = 1,
  err_InvalidMessage = 2,
  err_NotMidiFile = 3,
  err_NotPatchFile = 4,
  err_RecentFileMissing = 5,
  err_SaveFailed = 6,
  err_MidiUnavailable = 7,
  err_NotOldPatchFile = 8,
  err_DamagedDumps = 9,     // ^0: the controllers, "R3, A7"
  err_DamagedFileDumps = 10,  // ^0: the controllers
  err_CannotOpenFile = 11,    // ^0: the file's name, ^1: the cause
  err_CannotSaveFile = 12,    // ^0: the file's name, ^1: the cause
  err_OldFormatFile = 13,
  err_NoBrowser = 14,         // ^0: the file's name
  err_StillMissing = 15,      // ^0: the controllers a stalled retrieval still misses
  err_NotVerified = 16,       // ^0: how many sends, ^1: the controllers that differ
  err_NoReadBack = 17,        // ^0: how many sends
  err_Dropouts = 18,          // ^0: "2 dropouts"
  err_SentAndVerified = 19,   // not an error: the verified send's report
};

class UAlert {
 public:
  static bool IsAlerting() { return sIsAlerting; }
  // Whether the program was in front; brings it forward when asked to and it was not.
  static bool IsFrontProcess(bool bringToFront);
  // Shows `message` and returns when the user dismissed it. Never throws.
  static void ErrorAlert(ConstStr255Param message);
  static void ErrorAlert(ResIDT listID, std::int16_t index);
  // Alert `index` of list 1001 about a file, named first when `displayName` is not empty.
  static void FileErrorAlert(std::int16_t index, std::string_view displayName);
  // Shows `message` (Mac Roman) whole, however long.
  static void ErrorAlert(const std::string& message);

  // Item `index` of string list 1001 with "^0" replaced by `param` and "^1" by `param1`.
  static std::string GetMessage(std::int16_t index, std::string_view param,
                                std::string_view param1 = {});

 private:
  static bool sIsAlerting;
};
