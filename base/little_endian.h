// Little-endian 16- and 32-bit fields, the byte order of every binary format
// the system reads and writes (BMP, the window description, the program
// image, registry values), independent of the host's byte order.
//
// Checked: GetFixed16/32 read a field and SetFixed16/32 write one only when
// it lies wholly inside the bytes given (no overflow for any `at`), and say
// so when it does not. Unchecked: DecodeFixed16/32 and EncodeFixed16/32 read
// and write at a pointer the caller has checked, for a header checked once
// as a whole. PutFixed16/32 append to a byte set (base::Bytes).
//
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace base {

constexpr std::uint16_t DecodeFixed16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8);
}

constexpr std::uint32_t DecodeFixed32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

constexpr void EncodeFixed16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

constexpr void EncodeFixed32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// True when the `n` bytes at `at` lie inside `size` bytes.
constexpr bool FieldInside(std::size_t size, std::uint64_t at, std::uint64_t n) {
  return at <= size && n <= size - at;
}

constexpr std::optional<std::uint16_t> GetFixed16(std::span<const std::uint8_t> data,
                                                  std::uint64_t at) {
  if (!FieldInside(data.size(), at, 2)) return std::nullopt;
  return DecodeFixed16(data.data() + at);
}

constexpr std::optional<std::uint32_t> GetFixed32(std::span<const std::uint8_t> data,
                                                  std::uint64_t at) {
  if (!FieldInside(data.size(), at, 4)) return std::nullopt;
  return DecodeFixed32(data.data() + at);
}

constexpr bool SetFixed16(std::span<std::uint8_t> data, std::uint64_t at, std::uint16_t v) {
  if (!FieldInside(data.size(), at, 2)) return false;
  EncodeFixed16(data.data() + at, v);
  return true;
}

constexpr bool SetFixed32(std::span<std::uint8_t> data, std::uint64_t at, std::uint32_t v) {
  if (!FieldInside(data.size(), at, 4)) return false;
  EncodeFixed32(data.data() + at, v);
  return true;
}

inline void PutFixed16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.resize(out.size() + 2);
  EncodeFixed16(out.data() + out.size() - 2, v);
}

inline void PutFixed32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.resize(out.size() + 4);
  EncodeFixed32(out.data() + out.size() - 4, v);
}

}  // namespace base
