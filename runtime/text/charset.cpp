#include "runtime/text/charset.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace korvex {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Length of the well-formed UTF-8 character at the start of `s`, or 1.
std::size_t Utf8CharLength(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  const std::size_t n = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  if (n == 1 || lead > 0xF4 || s.size() < n) return 1;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// Converts `in` from one charset to another; what cannot be converted is
// replaced by `replacement` and skipped: a whole character when the input
// is UTF-8 and the character is well formed, else one byte.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement) {
  const bool fromUtf8 = std::string_view(from) == "UTF-8";
  IconvHandle cd(iconv_open(to, from));
  if (cd.get() == reinterpret_cast<void*>(-1)) {
    cd.release();
    return std::string(in);
  }
  auto* handle = static_cast<iconv_t>(cd.get());
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char buf[1024];
  while (srcLeft > 0) {
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    const std::size_t r = iconv(handle, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end).
      const std::size_t skip = fromUtf8 ? Utf8CharLength(std::string_view(src, srcLeft)) : 1;
      out.append(replacement);
      src += skip;
      srcLeft -= skip;
      iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD"); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, "?"); }

}  // namespace korvex
