#include "base/gbk_unicode.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/gbk.h"

namespace base {
namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kTrailSpan = 0xFE - kFirstTrail + 1;  // 0x7F is kept as a hole
constexpr std::size_t kPairCount = std::size_t{kLastLead - kFirstLead + 1} * kTrailSpan;
constexpr const char* kCodePage = "CP936";

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// One GBK character (1 or 2 bytes) to one UTF-16 unit; 0 when undefined or
// when it would need more than one unit.
char16_t DecodeOne(iconv_t cd, const char* bytes, std::size_t n) {
  char in[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
  unsigned char out[8] = {};
  char* ip = in;
  char* op = reinterpret_cast<char*>(out);
  std::size_t il = n;
  std::size_t ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0 ||
      sizeof out - ol != 2) {
    return 0;
  }
  const auto unit = static_cast<char16_t>(out[0] | (out[1] << 8));
  return (unit >= 0xD800 && unit <= 0xDFFF) ? 0 : unit;
}

struct Tables {
  std::array<char16_t, 256> single{};   // 0: undefined
  std::vector<char16_t> pair;           // by PairIndex; 0: undefined
  std::vector<std::uint16_t> fromWide;  // GBK code (byte or lead<<8|trail); 0: none

  Tables() : pair(kPairCount, 0), fromWide(0x10000, 0) {
    for (unsigned b = 0; b < 0x80; ++b) single[b] = static_cast<char16_t>(b);
    const iconv_t h = iconv_open("UTF-16LE", kCodePage);
    // iconv_open reports failure as (iconv_t)-1; without the code page only ASCII converts.
    if (h == reinterpret_cast<iconv_t>(-1)) return;  // NOLINT(performance-no-int-to-ptr)
    const IconvHandle owner(h);
    for (unsigned b = 0x80; b < 0x100; ++b) {
      const char c = static_cast<char>(b);
      if (const char16_t u = DecodeOne(h, &c, 1); u >= 0x80) {
        single[b] = u;
        if (fromWide[u] == 0) fromWide[u] = static_cast<std::uint16_t>(b);
      }
    }
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
      for (unsigned trail = kFirstTrail; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char16_t u = DecodeOne(h, bytes, 2);
        if (u < 0x80) continue;  // never let a pair stand for ASCII
        pair[PairIndex(lead, trail)] = u;
        if (fromWide[u] == 0) fromWide[u] = static_cast<std::uint16_t>((lead << 8) | trail);
      }
    }
  }

  static std::size_t PairIndex(unsigned lead, unsigned trail) {
    return (lead - kFirstLead) * kTrailSpan + (trail - kFirstTrail);
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

std::u16string GbkToWide(std::string_view gbk) {
  const Tables& t = TheTables();
  std::u16string out(gbk.size(), u'\0');
  const auto* p = reinterpret_cast<const unsigned char*>(gbk.data());
  const unsigned char* const end = p + gbk.size();
  char16_t* o = out.data();
  while (p < end) {
    const unsigned b = *p;
    if (b < 0x80) {
      *o++ = static_cast<char16_t>(b);
      ++p;
      continue;
    }
    char16_t u = 0;
    // The same rule as base::GbkCharLength, inlined for the hot loop.
    if (p + 1 < end && base::IsGbkLead(static_cast<unsigned char>(b)) && base::IsGbkTrail(p[1])) {
      u = t.pair[Tables::PairIndex(b, p[1])];
      p += 2;
    } else {
      u = t.single[b];
      ++p;
    }
    *o++ = u != 0 ? u : kUnknownWideChar;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string WideToGbk(std::u16string_view wide) {
  const Tables& t = TheTables();
  std::string out;
  out.reserve(wide.size());
  for (const char16_t u : wide) {
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    const std::uint16_t code = t.fromWide[u];
    if (code == 0) {
      out.push_back(kUnknownGbkChar);
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

std::size_t GbkByteOffsetOfChar(std::string_view gbk, std::size_t charIndex) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < charIndex && i < gbk.size(); ++n) i += base::GbkCharLength(gbk, i);
  return i;
}

}  // namespace base
