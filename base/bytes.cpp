#include "base/bytes.h"

#include <algorithm>
#include <cstring>

#include "base/little_endian.h"

namespace base {

Bytes ZeroBytes(int n) { return n <= 0 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

Bytes BytesLeft(const Bytes& b, int n) {
  if (n <= 0) return {};
  const auto k = std::min<std::size_t>(static_cast<std::size_t>(n), b.size());
  return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(k));
}

Bytes TextToBytes(std::string_view t) { return Bytes(t.begin(), t.end()); }

std::string BytesToText(const Bytes& b) {
  const auto nul = std::find(b.begin(), b.end(), std::uint8_t{0});
  return std::string(b.begin(), nul);
}

void CopyBytesTo(void* dest, const Bytes& b) {
  if (!b.empty()) std::memcpy(dest, b.data(), b.size());
}

Bytes BytesFromMemory(const void* src, int length) {
  if (src == nullptr || length <= 0) return {};
  const auto* p = static_cast<const std::uint8_t*>(src);
  return Bytes(p, p + length);
}

std::int32_t ReadInt32At(const Bytes& b, int pos) {
  if (pos < 1 || static_cast<std::size_t>(pos) + 3 > b.size()) return 0;
  const std::size_t i = static_cast<std::size_t>(pos - 1);
  return static_cast<std::int32_t>(DecodeFixed32(b.data() + i));
}

}  // namespace base
