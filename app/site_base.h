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

// Replaces the address for the rest of the process; an empty text restores
// the built-in one. The caller gives a checked base (see loader/site_option).
void OverrideSiteBase(const std::string& base);

}  // namespace pixaroo
