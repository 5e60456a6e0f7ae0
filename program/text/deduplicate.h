// De-duplication of a list held as one text whose entries are joined by a
// separator: the photo index ("#分割符#") and cookie jars ("; ").
// Entries compare as exact byte sequences. Pure functions; any thread.
#pragma once

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;
using base::TextArray;

// The entries of `text` (split at `separator`) with every repeat of an
// earlier entry dropped, joined by `separator`. Linear in the text's length.
Text DeduplicateJoined(const Text& text, const Text& separator);

// The 1-based position of the first element of `array` equal to `text`,
// or -1.
int IndexOfText(const TextArray& array, const Text& text);

}  // namespace pixaroo
