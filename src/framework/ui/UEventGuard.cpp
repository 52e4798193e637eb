#include "framework/ui/UEventGuard.h"

#include <QtGlobal>

namespace {
int sCaughtCount = 0;
}

int UEventGuard::GetCaughtCount() { return sCaughtCount; }

void UEventGuard::Report(const char* what) noexcept {
  ++sCaughtCount;
  qWarning("KVX Editor: an action failed and was abandoned: %s", what);
}
