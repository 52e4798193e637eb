#include "utilities/StPreference.h"

#include "framework/core/LString.h"
#include "utilities/UPreference.h"

StPreference::StPreference(ConstStr255Param name, OSType creator, ResIDT iconID, OSType fileType)
    : mCreator(creator), mIconID(iconID), mFileType(fileType) {
  LString::CopyPStr(name, mName);
  if (mName[0] > 0) (void)UPreference::LoadFile(mName);
}

StPreference::StPreference(const FSSpec& file, OSType creator, ResIDT iconID, OSType fileType)
    : mFileSpec(file), mCreator(creator), mIconID(iconID), mFileType(fileType) {
  mName[0] = 0;
  (void)UPreference::LoadFile(mFileSpec);
}

StPreference::~StPreference() {
  if (mName[0] > 0) {
    (void)UPreference::SaveFile(mName, mCreator, mIconID, mFileType);
  } else {
    (void)UPreference::SaveFile(mFileSpec, mCreator, mIconID, mFileType);
  }
  UPreference::CleanUp();
}
