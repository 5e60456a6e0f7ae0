// siteBase: the photo website's base address (scheme and host, no trailing
// slash), prefixed to list page paths, item links and index items.
//
// A constant of the program, set at build time (PIXAROO_SITE_BASE; by
// default the demo gallery on loopback). Tests that serve a site on an
// ephemeral port substitute it before the program runs. Any thread.
#pragma once

#include <string>

namespace pixaroo {

std::string SiteBase();

// Replaces the address for the rest of the process (tests only); an empty
// text restores the built-in one.
void SetSiteBaseForTesting(const std::string& base);

}  // namespace pixaroo
