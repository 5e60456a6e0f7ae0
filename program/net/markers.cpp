#include "program/net/markers.h"

namespace pixaroo {

Text BetweenMarkers(const Text& text, const Text& startMarker, const Text& endMarker,
                    int startPosition, bool caseSensitive) {
  const Text s = base::Replace(startMarker, kQuotePlaceholder, "\"");
  const Text e = base::Replace(endMarker, kQuotePlaceholder, "\"");
  int p = base::Find(text, s, startPosition, !caseSensitive);
  if (p == -1) return {};
  p += base::Len(s);
  const int q = base::Find(text, e, p, !caseSensitive);
  if (q == -1) return {};
  return base::Mid(text, p, q - p);
}

Text HeaderValue(const Text& line) {
  const int colon = base::Find(line, ":");
  if (colon == -1) return {};
  return base::TrimSpaces(base::Mid(line, colon + 1, base::Len(line)));
}

}  // namespace pixaroo
