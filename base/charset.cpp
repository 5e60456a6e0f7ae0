#include "base/charset.h"

#include "base/gbk_unicode.h"

namespace base {
namespace {

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The code point of the well-formed UTF-8 sequence at `i` and its length, or
// length 0 when the bytes there form none (bad lead, bad or missing
// continuation, overlong form, surrogate, beyond U+10FFFF).
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t n = 0;
  char32_t c = 0;
  char32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, c = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, c = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    return {0, 0};
  }
  if (i + n > s.size()) return {0, 0};
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, n};
}

}  // namespace

std::u16string Utf8ToWide(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto [c, n] = DecodeUtf8(utf8, i);
    if (n == 0) {
      out.push_back(kUnknownWideChar);  // one per byte that starts no character
      ++i;
      continue;
    }
    if (c < 0x10000) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      const char32_t v = c - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
    i += n;
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2 + 4);
  // Every GBK character is one unit of the Basic Multilingual Plane.
  for (const char16_t u : GbkToWide(gbk)) AppendUtf8(u, out);
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
  std::u16string wide;
  wide.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto [c, n] = DecodeUtf8(utf8, i);
    // A character beyond the Basic Multilingual Plane has no GBK form.
    wide.push_back(n == 0 || c >= 0x10000 ? kUnknownWideChar : static_cast<char16_t>(c));
    i += n == 0 ? 1 : n;
  }
  return WideToGbk(wide);
}

}  // namespace base
