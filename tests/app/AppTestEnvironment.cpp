// One QApplication for the whole test program.
#include "support/CQtTestEnvironment.h"

namespace {

[[maybe_unused]] auto* const sEnvironment = ::testing::AddGlobalTestEnvironment(
    new kvxtest::CQtTestEnvironment(QStringLiteral("KVX Editor")));

}  // namespace
