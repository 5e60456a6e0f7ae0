// Byte sets of the runtime: a length-counted block of bytes (page bodies,
// picture files, file contents). Converting to a text stops at the first NUL
// byte, since a text ends there. Pure functions, safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace base {

using Bytes = std::vector<std::uint8_t>;

// n zero bytes (n <= 0: empty).
Bytes ZeroBytes(int n);
// The first n bytes (clamped).
Bytes BytesLeft(const Bytes& b, int n);
// The bytes of a text, without a terminator.
Bytes TextToBytes(std::string_view t);
// The bytes up to (not including) the first NUL, as a text.
std::string BytesToText(const Bytes& b);
// Copies the whole byte set to `dest`, which must hold b.size() bytes.
void CopyBytesTo(void* dest, const Bytes& b);
// A byte set holding `length` bytes from `src` (length <= 0 or null: empty).
Bytes BytesFromMemory(const void* src, int length);
// The little-endian 32-bit integer at 1-based byte position `pos`; 0 when the
// four bytes are not all inside the set.
std::int32_t ReadInt32At(const Bytes& b, int pos);

}  // namespace base
