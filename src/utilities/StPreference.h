// The preference file's lifetime: constructing loads the file into UPreference, destroying
// writes the data back and frees it. The program creates one first of all and destroys it
// last of all; settings written in between reach the disk only then.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

class StPreference {
 public:
  // The file `name` in the preferences folder. A missing or unreadable file leaves the data
  // empty; the file is created on saving.
  StPreference(ConstStr255Param name, OSType creator, ResIDT iconID, OSType fileType);
  // The file at `file` (the name is left empty).
  StPreference(const FSSpec& file, OSType creator, ResIDT iconID, OSType fileType);
  StPreference(const StPreference&) = delete;
  StPreference& operator=(const StPreference&) = delete;
  // Saves (a failure is not reported: there is nobody left to tell) and frees the data.
  virtual ~StPreference();

 private:
  Str255 mName;
  FSSpec mFileSpec;  // used when the name is empty
  OSType mCreator;
  ResIDT mIconID;
  OSType mFileType;
};
