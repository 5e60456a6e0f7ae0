// GBK <-> UTF-8 conversion at the program's boundaries (the window's texts,
// file names handed to the system), and UTF-8 to UTF-16. All of them go
// through the one GBK <-> Unicode table (gbk_unicode.h) and its one rule: a
// GBK byte sequence that is no character becomes U+FFFD, a character GBK
// cannot hold becomes "?". Ill-formed UTF-8 counts one U+FFFD per byte that
// starts no character. Conversion never fails. Pure; any thread.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
// Characters beyond the Basic Multilingual Plane become surrogate pairs.
std::u16string Utf8ToWide(std::string_view utf8);

}  // namespace base
