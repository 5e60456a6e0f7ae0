#include "update/deduplicate.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "runtime/text/gbk.h"

namespace pixaroo {
namespace {

// The pieces korvex::Split gives (GBK-aware matches, empty pieces dropped),
// as views into `t`, found with a byte search. A byte match counts only when
// it starts and ends on character boundaries of `t`; the boundary walk moves
// forward only, so the whole split stays linear.
std::vector<std::string_view> SplitViews(std::string_view t, std::string_view sep) {
  std::vector<std::string_view> pieces;
  if (sep.empty()) {
    if (!t.empty()) pieces.push_back(t);
    return pieces;
  }
  std::size_t begin = 0;     // start of the current piece
  std::size_t boundary = 0;  // a character boundary, never past the next candidate
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = t.find(sep, from);
    if (at == std::string_view::npos) break;
    from = at + 1;
    while (boundary < at) boundary += korvex::GbkCharLength(t, boundary);
    if (boundary != at) continue;  // starts inside a double-byte character
    std::size_t end = at;
    while (end < at + sep.size()) end += korvex::GbkCharLength(t, end);
    if (end != at + sep.size()) continue;  // ends inside one
    if (at > begin) pieces.push_back(t.substr(begin, at - begin));
    begin = boundary = from = end;
  }
  if (begin < t.size()) pieces.push_back(t.substr(begin));
  return pieces;
}

}  // namespace

Text DeduplicateJoined(const Text& text, const Text& separator) {
  const std::vector<std::string_view> pieces = SplitViews(text, separator);
  std::unordered_set<std::string_view> kept;
  kept.reserve(pieces.size());
  Text out;
  out.reserve(text.size() + separator.size());
  for (const std::string_view piece : pieces) {
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
