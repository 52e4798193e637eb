// The open dialog for patch files. Its filter starts on "KVX patch files" (folders and files
// whose names end in ".mid", in any letter case: the file dialogs match names without regard
// to case); the user can switch it to all files.
#pragma once

#include "framework/ui/UNavServicesDialogs.h"

#include <cstdint>

class CSMFChooser : public UNavServicesDialogs::LFileChooser {
 public:
  static constexpr std::int16_t kFilterPatchFiles = 1;
  static constexpr std::int16_t kFilterAllFiles = 2;

  // The filters: patch files (the dialog starts on it), then all files.
  CSMFChooser();

  // Runs the dialog with the filter on; true when the user chose a file (GetFileDescList).
  bool AskOpenSMF();

  // The filter the dialog starts with (1: patch files only).
  static std::int16_t sFilterValue;
};
