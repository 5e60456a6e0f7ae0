#include "program/update/index_budget.h"

namespace pixaroo {
namespace {

// The CR LF after each item in the index file.
constexpr std::size_t kLineEndBytes = 2;

}  // namespace

bool IndexBudget::Admit(const base::Text& item) {
  if (item.size() > kMaxIndexItemBytes || items_ >= kMaxIndexItems) return false;
  const std::size_t grown = bytes_ + item.size() + kLineEndBytes;
  if (grown > kMaxIndexTextBytes) return false;
  bytes_ = grown;
  ++items_;
  return true;
}

}  // namespace pixaroo
