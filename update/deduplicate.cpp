#include "update/deduplicate.h"

#include <string_view>
#include <unordered_set>

namespace pixaroo {

Text DeduplicateJoined(const Text& text, const Text& separator) {
  const TextArray pieces = korvex::Split(text, separator);
  // Views into `pieces`, which outlives the set.
  std::unordered_set<std::string_view> kept;
  kept.reserve(pieces.size());
  Text out;
  out.reserve(text.size() + separator.size());
  for (const Text& piece : pieces) {
    if (!kept.insert(piece).second) continue;
    out += piece;
    out += separator;
  }
  return korvex::Left(out, korvex::Len(out) - korvex::Len(separator));
}

int IndexOfText(const TextArray& array, const Text& text) {
  for (std::size_t i = 0; i < array.size(); ++i) {
    if (array[i] == text) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace pixaroo
