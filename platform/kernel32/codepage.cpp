#include <cstring>
#include <string>

#include "base/charset.h"
#include "base/gbk_unicode.h"
#include "platform/kernel32/kernel32.h"

namespace kernel32 {
namespace {

bool IsGbk(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_GBK;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH source, int sourceBytes,
                        LPWSTR destination, int destinationUnits) {
  (void)flags;
  if ((!IsGbk(codePage) && codePage != CP_UTF8) || source == nullptr || sourceBytes == 0 ||
      sourceBytes < -1 || destinationUnits < 0 ||
      (destinationUnits > 0 && destination == nullptr)) {
    return 0;
  }
  const std::size_t length =
      sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceBytes);
  const std::string_view bytes(source, length);
  // The one GBK <-> Unicode table of base/, with its rule for bytes that are
  // no character (U+FFFD).
  const std::u16string units = IsGbk(codePage) ? base::GbkToWide(bytes) : base::Utf8ToWide(bytes);
  if (units.size() > static_cast<std::size_t>(INT32_MAX)) return 0;
  const int count = static_cast<int>(units.size());
  if (destinationUnits == 0) return count;
  if (count > destinationUnits) return 0;
  std::memcpy(destination, units.data(), units.size() * sizeof(char16_t));
  return count;
}

}  // namespace kernel32
