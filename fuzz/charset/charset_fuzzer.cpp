// Text conversions on arbitrary bytes: GBK <-> UTF-8, UTF-8 -> UTF-16 and
// the code-page call over them. Checks that every output is well formed,
// that a text once converted to GBK comes back unchanged through UTF-8, and
// that the code-page call's size query agrees with what it writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/charset.h"
#include "platform/kernel32/kernel32.h"

namespace {

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // cut short
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

// The code page call for `bytes`: the size it asks for must be what it
// writes, and one unit less must not do.
std::u16string CodePage(kernel32::UINT page, std::string_view bytes) {
  const int length = static_cast<int>(bytes.size());
  const int needed = kernel32::MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
  if (needed < 0) std::abort();
  if (needed == 0) return {};
  std::u16string out(static_cast<std::size_t>(needed), u'\0');
  kernel32::LPWSTR dest = out.data();
  if (kernel32::MultiByteToWideChar(page, 0, bytes.data(), length, dest, needed) != needed) {
    std::abort();
  }
  // (A destination of 0 units is the size query itself.)
  if (needed > 1 &&
      kernel32::MultiByteToWideChar(page, 0, bytes.data(), length, dest, needed - 1) != 0) {
    std::abort();
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = base::GbkToUtf8(input);
  if (!IsUtf8(utf8)) std::abort();

  // GBK made from any text is made of GBK's own characters (or "?"), so it
  // survives the way through UTF-8 and back.
  const std::string gbk = base::Utf8ToGbk(input);
  if (base::Utf8ToGbk(base::GbkToUtf8(gbk)) != gbk) std::abort();

  const std::u16string wide = base::Utf8ToWide(input);
  if (wide.size() > input.size()) std::abort();  // never more units than bytes

  for (kernel32::UINT page : {0u, 936u, 65001u}) (void)CodePage(page, input);
  return 0;
}
