// Framework exceptions: a 32-bit code, a four-character code such as 'nilP' or 'asrt', or a
// system status. The event loop (or a command boundary) catches them.
#pragma once

#include "framework/core/MacTypes.h"

#include <exception>
#include <string>

constexpr std::int32_t err_NilPointer = static_cast<std::int32_t>(FourCC("nilP"));
constexpr std::int32_t err_AssertFailed = static_cast<std::int32_t>(FourCC("asrt"));

class LException : public std::exception {
 public:
  explicit LException(std::int32_t code, std::string what = {});

  std::int32_t GetErrorCode() const { return mCode; }
  const char* what() const noexcept override { return mWhat.c_str(); }

  [[noreturn]] static void ThrowException(std::int32_t code, std::string what = {});

 private:
  std::int32_t mCode;
  std::string mWhat;
};

template <typename T>
T* ThrowIfNil(T* pointer) {
  if (pointer == nullptr) LException::ThrowException(err_NilPointer, "missing object");
  return pointer;
}

inline void ThrowIfNot(bool condition, const char* what = "assertion failed") {
  if (!condition) LException::ThrowException(err_AssertFailed, what);
}
