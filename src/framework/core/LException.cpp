#include "framework/core/LException.h"

#include <utility>

LException::LException(std::int32_t code, std::string what) : mCode(code), mWhat(std::move(what)) {
  if (mWhat.empty()) mWhat = "error " + std::to_string(code);
}

void LException::ThrowException(std::int32_t code, std::string what) {
  throw LException(code, std::move(what));
}
