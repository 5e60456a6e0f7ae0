// ScopedEnv: sets (or, given nullptr, unsets) one environment variable for
// the life of the object and puts back what it was. Tests only; the
// environment is the process's, so only a test's own thread may hold one
// while nothing else reads the variable.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace pixaroo::testing {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) const {
    if (value != nullptr) {
      ::setenv(name_, value, 1);
    } else {
      ::unsetenv(name_);
    }
  }

  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace pixaroo::testing
