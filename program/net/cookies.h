// Cookie merging: folds the cookies a response set into the caller's cookie
// jar. A jar is plain text, cookies as name=value joined by "; ". Pure
// functions on GBK texts; any thread.
#pragma once

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;
using base::TextArray;

// A cookie whose value is "deleted" removes that cookie from the jar.
inline constexpr char kDeletedSuffix[] = "=deleted";
inline constexpr char kCookieSeparator[] = "; ";

// The text before the cookie's first '=' (the whole cookie without one),
// trimmed of spaces.
Text CookieName(const Text& cookie);

// Whether some cookie in `list` has exactly the name `name`.
bool HasCookieNamed(const TextArray& list, const Text& name);

// Removes every space from `jar` and `fresh`, then sets `jar` to the fresh
// cookies in their order followed by the jar's cookies of other names (the
// first of each name), without "=deleted" cookies and exact repeats, joined
// by "; ". Returns a copy of the new jar. `jar` and `fresh` must be distinct.
Text MergeCookies(Text& jar, Text& fresh);

}  // namespace pixaroo
