// Address parsing for the web request routine: the host, port and object
// path that the connect and open-request calls take. Text operations only:
// nothing is validated or decoded, and every input gives some result.
// Pure functions on GBK texts; any thread.
#pragma once

#include "base/text_ops.h"

namespace pixaroo {

using base::Text;

inline constexpr int kDefaultHttpPort = 80;
inline constexpr int kDefaultHttpsPort = 443;

// The lower-cased host of `url` (the text after "https://" or the first
// "http://", up to the next '/'; a bare host counts as http). With
// `mainDomainOnly` only its last two labels; without `keepPort` the text
// from the first ':' on is dropped.
Text UrlHost(const Text& url, bool mainDomainOnly = false, bool keepPort = false);

// The number after the host's last ':', else 443 for an "https" address
// and 80 for any other.
int UrlPort(const Text& url);

// `url` from the first '/' at or after where the host first occurs in it,
// case kept; "/" when there is none.
Text UrlPath(const Text& url);

}  // namespace pixaroo
