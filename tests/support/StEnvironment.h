// Sets (or with nullptr unsets) an environment variable for one scope, and puts back what was
// there before.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kvxtest {

class StEnvironment {
 public:
  StEnvironment(const char* name, const char* value) : mName(name) {
    if (const char* old = std::getenv(name)) mOld = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~StEnvironment() { mOld ? ::setenv(mName.c_str(), mOld->c_str(), 1) : ::unsetenv(mName.c_str()); }
  StEnvironment(const StEnvironment&) = delete;
  StEnvironment& operator=(const StEnvironment&) = delete;

 private:
  std::string mName;
  std::optional<std::string> mOld;
};

}  // namespace kvxtest
