// siteBase: the photo website's base address (scheme and host, no trailing
// slash), prefixed to list page paths, item links and index items.
//
// A constant of the program, set at build time (PIXAROO_SITE_BASE; by
// default the demo gallery on loopback). The command line (pixaroo --site)
// and tests that serve a site on an ephemeral port substitute it before the
// program runs. Any thread.
#pragma once

#include <string>

namespace pixaroo {

std::string SiteBase();

// The address of `path` on the site: siteBase followed by `path` as a page
// gave it, or the empty text when the joined address would leave the site
// (another scheme, host or port, or a user part, as the HTTP read parses
// it). An empty address is never fetched: it counts as a failed fetch.
std::string SiteAddress(const std::string& path);

// Replaces the address for the rest of the process; an empty text restores
// the built-in one. The caller gives a checked base (see loader/command_line.h).
void OverrideSiteBase(const std::string& base);

}  // namespace pixaroo
