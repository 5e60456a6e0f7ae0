// Sizes, offsets and limits of the window description's stored layout, with
// the names FORMAT.md uses. Internal to korvex_form; constants only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::form {

// Header: five words, kHeaderReservedBytes zero bytes, the unit count U and
// the count of bytes that follow it; the id table starts at kHeaderSize.
inline constexpr std::size_t kOffsetWindowId = 0x04;
inline constexpr std::size_t kOffsetHeaderReserved = 0x14;
inline constexpr std::size_t kHeaderReservedBytes = 8;
inline constexpr std::size_t kOffsetUnitCount = 0x1C;
inline constexpr std::size_t kOffsetFollowingBytes = 0x20;
inline constexpr std::size_t kHeaderSize = 0x24;
// Per unit: one id word and one record-offset word.
inline constexpr std::size_t kTableBytesPerUnit = 8;

// Record fields.
inline constexpr std::size_t kRecordLengthSize = 4;
inline constexpr std::size_t kRecordReservedBytes = 20;  // after the type id
inline constexpr std::size_t kRecordTrailerBytes = 20;   // after the events
inline constexpr std::size_t kMenuTrailerBytes = 16;     // ends a menu entry
inline constexpr std::uint32_t kRecordBlockSize = 4;     // the length-prefixed block
inline constexpr std::size_t kEventEntrySize = 8;
inline constexpr std::size_t kUnitIdSize = 4;

// Limits for reading outside input.
inline constexpr std::size_t kMaxFormSize = 1u << 20;
inline constexpr std::size_t kMaxUnits = 4096;
inline constexpr std::uint32_t kMaxMenuLevel = 16;

}  // namespace korvex::form
