#include "program/update/read_failures.h"

#include <cstdio>

namespace pixaroo {

void ReadFailures::Note(const korvex::ReadError& error) {
  // A read stopped because the program is closing is no failure of the site.
  if (error.failure == korvex::ReadFailure::kCancelled) return;
  std::lock_guard lock(mutex_);
  if (count_++ == 0) first_ = error.text;
}

int ReadFailures::Count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

std::string ReadFailures::First() const {
  std::lock_guard lock(mutex_);
  return first_;
}

void ReadFailures::Say() const {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return;
  std::fprintf(stderr, "pixaroo: %d item page read%s failed; the first: %s\n", count_,
               count_ == 1 ? "" : "s", first_.c_str());
}

}  // namespace pixaroo
