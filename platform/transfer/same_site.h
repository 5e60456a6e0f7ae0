// Where an address leads, as the transfers themselves read it: the checks
// that keep the program's fetches on its own site and keep a caller's
// cookies and credentials from following a redirect to another host.
//
// Addresses are parsed by libcurl's own URL parser, with the options a
// transfer uses, after the same encoding of unsafe bytes, so that what is
// checked here is exactly what a transfer would contact. Pure functions;
// any thread.
#pragma once

#include <string>

namespace transfer {

// True when `url` has the scheme, host and port of `site` (a default port
// counts as given) and carries no user name or password. False when either
// cannot be parsed.
bool SameSite(const std::string& url, const std::string& site);

// True when a redirect of a fetch that started at `start` may go on to
// `target`: http or https, no user name or password, and either the host
// the fetch started at, on its port or the target scheme's default port, or
// another host under the same registrable domain (by the Public Suffix
// List) on such a port. A fetch that started at an IP address may go only
// to that address and port. False when either cannot be parsed.
bool MayRedirect(const std::string& start, const std::string& target);

// True when both addresses name the same host and port (scheme aside);
// false when either cannot be parsed.
bool SameHost(const std::string& a, const std::string& b);

}  // namespace transfer
