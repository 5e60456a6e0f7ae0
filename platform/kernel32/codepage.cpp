#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/kernel32/kernel32.h"

namespace kernel32 {
namespace {

constexpr char16_t kReplacement = u'?';
// Units converted per iconv call.
constexpr std::size_t kChunkUnits = 1024;

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

const char* CharsetOf(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_GBK:
      return "CP936";
    case CP_UTF8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

// Converts all of [source, source + length); undecodable bytes become '?'
// one byte at a time. False only when iconv cannot be set up.
bool ConvertAll(const char* charset, const char* source, std::size_t length,
                std::vector<char16_t>* out) {
  iconv_t raw = iconv_open("UTF-16LE", charset);
  // iconv_open reports failure as (iconv_t)-1.
  if (raw == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr)
  IconvHandle cd(raw);
  char* in = const_cast<char*>(source);
  std::size_t inLeft = length;
  char16_t chunk[kChunkUnits];
  while (inLeft > 0) {
    char* outp = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof(chunk);
    const std::size_t r = iconv(cd.get(), &in, &inLeft, &outp, &outLeft);
    const std::size_t produced = (sizeof(chunk) - outLeft) / sizeof(char16_t);
    out->insert(out->end(), chunk, chunk + produced);
    if (r != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (cut short at the end): skip one byte.
    out->push_back(kReplacement);
    ++in;
    --inLeft;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH source, int sourceBytes,
                        LPWSTR destination, int destinationUnits) {
  (void)flags;
  const char* charset = CharsetOf(codePage);
  if (charset == nullptr || source == nullptr || sourceBytes == 0 || sourceBytes < -1 ||
      destinationUnits < 0 || (destinationUnits > 0 && destination == nullptr)) {
    return 0;
  }
  const std::size_t length =
      sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceBytes);
  std::vector<char16_t> units;
  if (!ConvertAll(charset, source, length, &units)) return 0;
  if (units.size() > static_cast<std::size_t>(INT32_MAX)) return 0;
  const int count = static_cast<int>(units.size());
  if (destinationUnits == 0) return count;
  if (count > destinationUnits) return 0;
  std::memcpy(destination, units.data(), units.size() * sizeof(char16_t));
  return count;
}

}  // namespace kernel32
