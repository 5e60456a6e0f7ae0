// The one encoding an address gets before curl's parser reads it, shared by
// the transfers and the checks of where an address leads (same_site.h), so
// that both read the same address. Pure; any thread.
#pragma once

#include <string>

namespace transfer {

// Percent-encodes the bytes curl's address parser refuses (controls, space,
// bytes above 0x7F); everything else is left as given.
std::string EncodeUnsafeUrlBytes(const std::string& url);

}  // namespace transfer
