#include <cstring>

#include "platform/ole32/ole32.h"

namespace ole32 {
namespace {

// "{" 8 "-" 4 "-" 4 "-" 4 "-" 12 "}"
constexpr int kClsidTextUnits = 38;
constexpr int kDashAt[] = {9, 14, 19, 24};

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Unit i of the text; read byte-wise since callers often pass byte buffers.
char16_t UnitAt(LPCOLESTR text, int i) {
  char16_t c;
  std::memcpy(&c, reinterpret_cast<const unsigned char*>(text) + 2 * static_cast<std::size_t>(i), sizeof c);
  return c;
}

// Reads `digits` hex digits starting at unit `at`; -1 on a non-digit.
long long HexField(LPCOLESTR text, int at, int digits) {
  long long v = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = HexValue(UnitAt(text, at + i));
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

bool Parse(LPCOLESTR text, CLSID* out) {
  // Check the shape first, stopping at a NUL so that short texts are safe.
  for (int i = 0; i < kClsidTextUnits; ++i) {
    const char16_t c = UnitAt(text, i);
    if (c == 0) return false;
    const bool dash = i == kDashAt[0] || i == kDashAt[1] || i == kDashAt[2] || i == kDashAt[3];
    if (i == 0 ? c != u'{' : i == kClsidTextUnits - 1 ? c != u'}'
                           : dash ? c != u'-' : HexValue(c) < 0) {
      return false;
    }
  }
  if (UnitAt(text, kClsidTextUnits) != 0) return false;
  CLSID id{};
  id.Data1 = static_cast<std::uint32_t>(HexField(text, 1, 8));
  id.Data2 = static_cast<std::uint16_t>(HexField(text, 10, 4));
  id.Data3 = static_cast<std::uint16_t>(HexField(text, 15, 4));
  id.Data4[0] = static_cast<std::uint8_t>(HexField(text, 20, 2));
  id.Data4[1] = static_cast<std::uint8_t>(HexField(text, 22, 2));
  for (int i = 0; i < 6; ++i) {
    id.Data4[2 + i] = static_cast<std::uint8_t>(HexField(text, 25 + 2 * i, 2));
  }
  *out = id;
  return true;
}

}  // namespace

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  *clsid = CLSID{};
  if (text == nullptr) return NOERROR;
  return Parse(text, clsid) ? NOERROR : CO_E_CLASSSTRING;
}

}  // namespace ole32
