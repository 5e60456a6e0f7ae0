#include "program/text/deduplicate.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/text_ops.h"

namespace pixaroo {

Text DeduplicateJoined(const Text& text, const Text& separator) {
  const std::vector<std::string_view> pieces = base::SplitViews(text, separator);
  std::unordered_set<std::string_view> kept;
  kept.reserve(pieces.size());
  Text out;
  out.reserve(text.size() + separator.size());
  for (const std::string_view piece : pieces) {
    if (!kept.insert(piece).second) continue;
    out += piece;
    out += separator;
  }
  return base::Left(out, base::Len(out) - base::Len(separator));
}

int IndexOfText(const TextArray& array, const Text& text) {
  for (std::size_t i = 0; i < array.size(); ++i) {
    if (array[i] == text) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace pixaroo
