// BMP layout: a 14-byte file header ("BM", file size, 2 reserved words, the
// offset of the pixels), an information header whose first dword is its own
// size (12 core, 40 plain, 52/56 with masks, 64 OS/2, 108 V4, 124 V5), for
// plain headers with bit fields the masks, then the colour table (4 bytes an
// entry, 3 for core headers), then the pixel rows, each padded to 4 bytes,
// bottom row first unless the height is negative. Little-endian throughout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gdiplus::bmp {

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kOs2HeaderSize = 64;
inline constexpr std::uint32_t kV4HeaderSize = 108;
inline constexpr std::uint32_t kV5HeaderSize = 124;

// Fields of the file header, from its start.
inline constexpr std::size_t kFileSizeField = 2;
inline constexpr std::size_t kPixelOffsetField = 10;

// Fields of the information header, from its start: 32-bit unless named.
inline constexpr std::size_t kHeaderSizeField = 0;
inline constexpr std::size_t kWidthField = 4;
inline constexpr std::size_t kHeightField = 8;
inline constexpr std::size_t kPlanesField = 12;    // 16-bit
inline constexpr std::size_t kBitCountField = 14;  // 16-bit
inline constexpr std::size_t kCompressionField = 16;
inline constexpr std::size_t kImageSizeField = 20;
inline constexpr std::size_t kXPixelsPerMetreField = 24;
inline constexpr std::size_t kYPixelsPerMetreField = 28;
inline constexpr std::size_t kColoursUsedField = 32;
inline constexpr std::size_t kRedMaskField = 40;  // then green, blue and alpha
inline constexpr std::size_t kGreenMaskField = 44;
inline constexpr std::size_t kBlueMaskField = 48;
inline constexpr std::size_t kAlphaMaskField = 52;
inline constexpr std::size_t kColourSpaceField = 56;
// The core header's fields are 16-bit: width, height, planes, bit count.
inline constexpr std::size_t kCoreWidthField = 4;
inline constexpr std::size_t kCoreHeightField = 6;
inline constexpr std::size_t kCoreBitCountField = 10;

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;
inline constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

// 'sRGB', the colour space a V4 header names.
inline constexpr std::uint32_t LCS_sRGB = 0x73524742;
// 96 dots per inch, in pixels per metre.
inline constexpr std::int32_t kPixelsPerMetre = 3780;

// Bytes in one padded row.
inline std::uint64_t RowStride(std::uint64_t width, unsigned bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

}  // namespace gdiplus::bmp
