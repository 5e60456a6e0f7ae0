// Batch extraction by pattern: every text that lies between a left and a
// right marker, left to right, found by turning the markers into a regular
// expression run by a RegexMatcher; and its two helpers.
//
// Texts are GBK byte strings; lengths count bytes. ExtractAllBetween makes,
// uses and destroys its own RegexMatcher (and so its own COM use) on the
// calling thread, and writes only the array it is given. Any thread.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;
using base::TextArray;

struct ReplacePair {
  std::string_view sought;
  std::string_view replacement;
};

// Applies the pairs in order, each to the result of the one before, with the
// runtime's replace: at most `count` occurrences per pair (negative: all),
// from the 1-based byte position `start` (0 or 1: from the beginning), with
// the letter-case flag `ignoreCase`. A pair with an empty sought text changes
// nothing.
Text ReplaceEach(std::string_view text, int count, int start, bool ignoreCase,
                 std::span<const ReplacePair> pairs);

// The marker with "?", "*", "+", "[", "]", "(", ")", "{" and "}" escaped by a
// backslash. Nothing else is escaped: ".", "^", "$", "|", "\" and "/" keep
// their pattern meaning.
Text EscapeMarker(std::string_view marker);

// Empties `results`, then appends, for every match of the pattern
// escaped-left "(.*?)" escaped-right (letter case ignored), the text between
// the markers, unless `maxLength` is not 0 and the text has more bytes than
// that. Each kept text reads: left marker (when `includeLeft`), `prefix`,
// the text, `suffix`, right marker (when `includeRight`). Returns the number
// of elements; 0 with an empty array when the search fails.
//
// With `maxCount` not 0, stops once that many texts are kept: the matches
// after them are never read out of the component.
int ExtractAllBetween(std::string_view text, std::string_view leftMarker,
                      std::string_view rightMarker, TextArray& results, int maxLength = 0,
                      std::string_view prefix = {}, std::string_view suffix = {},
                      bool includeLeft = false, bool includeRight = false,
                      std::size_t maxCount = 0);

}  // namespace pixaroo
