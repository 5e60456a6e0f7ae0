// Text-between extraction: cuts one region out of a page, from a first
// marker (or just after a second marker) up to, not including, an end marker.
//
// Texts are GBK byte strings; positions are 1-based bytes, -1 = not found.
// The searches are the runtime's GBK-aware find: ignoring case folds only
// single-byte ASCII letters, and no match starts inside a double-byte
// character. An empty marker is never found. Pure; any thread.
#pragma once

#include <optional>
#include <string_view>

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;

// Searches `firstMarker` from `position` (0 and 1: from the first byte) and
// `secondMarker` (absent: the first marker itself) from the first marker's
// own position; the region ends before the first `endMarker` after the
// second marker, or at the end of `text` when there is none. The region
// starts at the first marker when `includeMarkers`, else just after the
// second marker. On return `position` is the region's 1-based start, or -1
// (and the result empty) when a required marker is missing.
Text ExtractBetween(std::string_view text, int& position, std::string_view firstMarker,
                    std::optional<std::string_view> secondMarker, std::string_view endMarker,
                    bool ignoreCase = true, bool includeMarkers = true);

}  // namespace pixaroo
