// Numbers as the runtime's messages say them: "0x" and upper-case hex
// digits, e.g. "0x1F4". Pure; safe on any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace base {

// At least `minDigits` digits, padded with zeros ("0x0000001F" for 8).
inline std::string Hex(std::uint64_t v, int minDigits = 1) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%0*llX", minDigits, static_cast<unsigned long long>(v));
  return buf;
}

}  // namespace base
