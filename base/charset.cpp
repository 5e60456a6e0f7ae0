#include "base/charset.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace base {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Converts `in` from one charset to another; each byte that cannot be
// converted is replaced by `replacement` and skipped.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement) {
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
      // EILSEQ or EINVAL (truncated sequence at the end): skip one byte.
      out.append(replacement);
      ++src;
      --srcLeft;
      iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD"); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, "?"); }

}  // namespace base
