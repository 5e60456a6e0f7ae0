// GBK character walking.
//
// Texts are GBK byte strings. A double-byte character is a lead byte
// 0x81..0xFE followed by a trail byte 0x40..0xFE other than 0x7F; every other
// byte (and a lead byte with no valid trail) stands alone. Searching code
// walks texts with these helpers so that a match never starts inside a
// double-byte character, whose trail byte may be an ASCII "[", "L" or "\".
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <string_view>

namespace base {

inline bool IsGbkLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsGbkTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Byte length (1 or 2) of the character that starts at `pos`; pos < s.size().
inline std::size_t GbkCharLength(std::string_view s, std::size_t pos) {
  if (pos + 1 < s.size() && IsGbkLead(static_cast<unsigned char>(s[pos])) &&
      IsGbkTrail(static_cast<unsigned char>(s[pos + 1]))) {
    return 2;
  }
  return 1;
}

// True when `pos` (0-based) starts a character of `s` (or is s.size()).
bool IsGbkBoundary(std::string_view s, std::size_t pos);

// ASCII-only lower/upper folding for a single-byte character.
inline unsigned char FoldAscii(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

}  // namespace base
