#include "program/text/extract_between.h"

#include <climits>

namespace pixaroo {

Text ExtractBetween(std::string_view text, int& position, std::string_view firstMarker,
                    std::optional<std::string_view> secondMarker, std::string_view endMarker,
                    bool ignoreCase, bool includeMarkers) {
  // Positions are ints: a text they cannot address has no region.
  if (text.size() >= static_cast<std::size_t>(INT_MAX)) {
    position = -1;
    return {};
  }
  const int p1 = base::Find(text, firstMarker, position, ignoreCase);
  if (p1 < 0) {
    position = -1;
    return {};
  }
  const std::string_view second = secondMarker.value_or(firstMarker);
  // The second marker may lie inside or across the first one.
  const int p2 = secondMarker ? base::Find(text, second, p1, ignoreCase) : p1;
  if (p2 < 0) {
    position = -1;
    return {};
  }
  const int afterSecond = p2 + base::Len(second);
  int p3 = base::Find(text, endMarker, afterSecond, ignoreCase);
  if (p3 < 0) p3 = base::Len(text) + 1;
  const int start = includeMarkers ? p1 : afterSecond;
  position = start;
  return base::Mid(text, start, p3 - start);
}

}  // namespace pixaroo
