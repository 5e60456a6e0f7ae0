#include "program/net/cookies.h"

#include <string_view>
#include <unordered_set>

#include "program/text/deduplicate.h"

namespace pixaroo {

Text CookieName(const Text& cookie) {
  const int eq = base::Find(cookie, "=");
  return base::TrimSpaces(eq == -1 ? cookie : base::Left(cookie, eq - 1));
}

bool HasCookieNamed(const TextArray& list, const Text& name) {
  for (const Text& piece : list) {
    if (CookieName(piece) == name) return true;
  }
  return false;
}

Text MergeCookies(Text& jar, Text& fresh) {
  jar = base::RemoveSpaces(jar);
  fresh = base::RemoveSpaces(fresh);
  const TextArray old = base::Split(jar, ";");
  TextArray merged = base::Split(fresh, ";");
  // The names in `merged` so far; same answers as HasCookieNamed(merged, ...)
  // without walking the list for every jar cookie.
  std::unordered_set<Text> names;
  for (const Text& piece : merged) names.insert(CookieName(piece));
  for (const Text& piece : old) {
    Text name = CookieName(piece);
    if (names.insert(std::move(name)).second) merged.push_back(piece);
  }
  Text out;
  for (const Text& piece : merged) {
    if (base::Right(piece, 8) == kDeletedSuffix) continue;
    out += piece;
    out += kCookieSeparator;
  }
  out = base::Left(out, base::Len(out) - 2);
  jar = DeduplicateJoined(out, kCookieSeparator);
  return jar;
}

}  // namespace pixaroo
