#include "net/cookies.h"

#include <string_view>
#include <unordered_set>

#include "update/deduplicate.h"

namespace pixaroo {

Text CookieName(const Text& cookie) {
  const int eq = korvex::Find(cookie, "=");
  return korvex::TrimSpaces(eq == -1 ? cookie : korvex::Left(cookie, eq - 1));
}

bool HasCookieNamed(const TextArray& list, const Text& name) {
  for (const Text& piece : list) {
    if (CookieName(piece) == name) return true;
  }
  return false;
}

Text MergeCookies(Text& jar, Text& fresh) {
  jar = korvex::RemoveSpaces(jar);
  fresh = korvex::RemoveSpaces(fresh);
  const TextArray old = korvex::Split(jar, ";");
  TextArray merged = korvex::Split(fresh, ";");
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
    if (korvex::Right(piece, 8) == kDeletedSuffix) continue;
    out += piece;
    out += kCookieSeparator;
  }
  out = korvex::Left(out, korvex::Len(out) - 2);
  jar = DeduplicateJoined(out, kCookieSeparator);
  return jar;
}

}  // namespace pixaroo
