#include "net/markers.h"

namespace pixaroo {

Text BetweenMarkers(const Text& text, const Text& startMarker, const Text& endMarker,
                    int startPosition, bool caseSensitive) {
  const Text s = korvex::Replace(startMarker, kQuotePlaceholder, "\"");
  const Text e = korvex::Replace(endMarker, kQuotePlaceholder, "\"");
  int p = korvex::Find(text, s, startPosition, !caseSensitive);
  if (p == -1) return {};
  p += korvex::Len(s);
  const int q = korvex::Find(text, e, p, !caseSensitive);
  if (q == -1) return {};
  return korvex::Mid(text, p, q - p);
}

Text HeaderValue(const Text& line) {
  const int colon = korvex::Find(line, ":");
  if (colon == -1) return {};
  return korvex::TrimSpaces(korvex::Mid(line, colon + 1, korvex::Len(line)));
}

}  // namespace pixaroo
