// Marker text and header values: small text routines that take values out
// of header text and addresses. Pure functions on GBK texts; any thread.
#pragma once

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;

// Stands for one double quote inside a marker ("#引号").
inline constexpr char kQuotePlaceholder[] = "#\xD2\xFD\xBA\xC5";

// The text between the first `startMarker` at or after `startPosition`
// (0 = from the first byte) and the first `endMarker` after it; empty when
// either is missing. Markers are matched ignoring letter case unless
// `caseSensitive`; the placeholder in either marker stands for '"'.
Text BetweenMarkers(const Text& text, const Text& startMarker, const Text& endMarker,
                    int startPosition = 0, bool caseSensitive = false);

// The text after the first ':' of `line`, trimmed of spaces; empty without ':'.
Text HeaderValue(const Text& line);

}  // namespace pixaroo
