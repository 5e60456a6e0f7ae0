#include "program/text/extract_all_between.h"

#include <algorithm>
#include <array>

#include "program/text/regex_operations.h"

namespace pixaroo {
namespace {

// The escaping table, in the order its pairs are applied: the first five in
// one pass, the other four in a second pass over its result. No replacement
// holds a character a later pair seeks, so each is escaped exactly once.
constexpr std::array<ReplacePair, 5> kEscapePass1{
    {{"?", "\\?"}, {"*", "\\*"}, {"+", "\\+"}, {"[", "\\["}, {"]", "\\]"}}};
constexpr std::array<ReplacePair, 4> kEscapePass2{
    {{"(", "\\("}, {")", "\\)"}, {"{", "\\{"}, {"}", "\\}"}}};

constexpr std::string_view kLazyGroup = "(.*?)";
constexpr int kAll = -1;

}  // namespace

Text ReplaceEach(std::string_view text, int count, int start, bool ignoreCase,
                 std::span<const ReplacePair> pairs) {
  Text out(text);
  for (const ReplacePair& p : pairs) {
    out = base::Replace(out, p.sought, p.replacement, start, count, ignoreCase);
  }
  return out;
}

Text EscapeMarker(std::string_view marker) {
  const Text once = ReplaceEach(marker, kAll, 0, false, kEscapePass1);
  return ReplaceEach(once, kAll, 0, false, kEscapePass2);
}

int ExtractAllBetween(std::string_view text, std::string_view leftMarker,
                      std::string_view rightMarker, TextArray& results, int maxLength,
                      std::string_view prefix, std::string_view suffix, bool includeLeft,
                      bool includeRight, std::size_t maxCount) {
  RegexObject matcher;
  results.clear();
  const Text pattern = EscapeMarker(leftMarker) + Text(kLazyGroup) + EscapeMarker(rightMarker);
  matcher.Search(pattern, text);
  const int n = matcher.MatchCount();
  std::size_t wanted = static_cast<std::size_t>(n > 0 ? n : 0);
  if (maxCount != 0) wanted = std::min(wanted, maxCount);
  results.reserve(wanted);
  for (int i = 1; i <= n && results.size() < wanted; ++i) {
    const Text between = matcher.SubMatchText(i, 1);
    if (maxLength != 0 && base::Len(between) > maxLength) continue;
    Text element;
    if (includeLeft) element.append(leftMarker);
    element.append(prefix).append(between).append(suffix);
    // The right marker goes on whenever it is asked for, whatever maxLength
    // and includeLeft are.
    if (includeRight) element.append(rightMarker);
    results.push_back(std::move(element));
  }
  return static_cast<int>(results.size());
}

}  // namespace pixaroo
