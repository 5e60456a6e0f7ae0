// Conversion between GBK texts and wide (UTF-16) texts, as code page 936
// does it.
//
// Characters are counted the way the runtime walks GBK texts (base/
// gbk.h): a lead byte 0x81..0xFE with a valid trail byte is one double-byte
// character, every other byte is one character. Each character becomes
// exactly one UTF-16 unit, so the n-th character of a GBK text is the n-th
// unit of its wide form. A character the code page does not define becomes
// U+FFFD; a wide unit the code page cannot express becomes "?".
//
// The tables are built once, from iconv's CP936, on first use; afterwards
// conversion is a pure table walk. Any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr char16_t kUnknownWideChar = u'\uFFFD';
inline constexpr char kUnknownGbkChar = '?';

std::u16string GbkToWide(std::string_view gbk);
std::string WideToGbk(std::u16string_view wide);

// Byte offset in `gbk` of its character number `charIndex` (0-based); the
// byte length when the text has fewer characters.
std::size_t GbkByteOffsetOfChar(std::string_view gbk, std::size_t charIndex);

}  // namespace base
