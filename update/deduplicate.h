// De-duplication of a list held as one text whose entries are joined by a
// separator: the photo index ("#分割符#") and cookie jars ("; ").
// Entries compare as exact byte sequences. Pure functions; any thread.
#pragma once

#include "runtime/text/text_ops.h"

namespace pixaroo {

using korvex::Text;
using korvex::TextArray;

// Separator of the photo index's joined text ("#分割符#").
inline constexpr char kIndexSeparator[] = "#\xB7\xD6\xB8\xEE\xB7\xFB#";

// The entries of `text` (split at `separator`) with every repeat of an
// earlier entry dropped, joined by `separator`. Linear in the text's length.
Text DeduplicateJoined(const Text& text, const Text& separator);

// The 1-based position of the first element of `array` equal to `text`,
// or -1.
int IndexOfText(const TextArray& array, const Text& text);

}  // namespace pixaroo
