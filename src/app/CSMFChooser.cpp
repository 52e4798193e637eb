#include "app/CSMFChooser.h"

std::int16_t CSMFChooser::sFilterValue = CSMFChooser::kFilterPatchFiles;

CSMFChooser::CSMFChooser() {
  AddFilter(QStringLiteral("KVX patch files"), {QStringLiteral("*.mid")});
  AddFilter(QStringLiteral("All files"), {QStringLiteral("*")});
}

bool CSMFChooser::AskOpenSMF() {
  // The dialog starts on its first filter.
  sFilterValue = kFilterPatchFiles;
  return AskOpenFile();
}
