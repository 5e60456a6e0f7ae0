// GBK <-> UTF-8 conversion at the program's boundaries (the window's texts,
// file names handed to the system). Invalid input bytes become U+FFFD (to
// UTF-8) or "?" (to GBK) one at a time, and so does a character GBK lacks
// (one "?" for the whole character); conversion never fails. Any thread.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace korvex
