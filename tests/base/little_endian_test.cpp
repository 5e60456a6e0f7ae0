// Little-endian fields: the lowest byte first whatever the host's order,
// and a checked field read or written only when it lies wholly inside.
#include "base/little_endian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "base/bytes.h"

namespace base {
namespace {

TEST(LittleEndian, LowestByteFirstBothWays) {
  const std::array<std::uint8_t, 6> bytes = {0x78, 0x56, 0x34, 0x12, 0xCD, 0xAB};
  EXPECT_EQ(DecodeFixed32(bytes.data()), 0x12345678U);
  EXPECT_EQ(DecodeFixed16(bytes.data() + 4), 0xABCD);
  EXPECT_EQ(DecodeFixed32(std::array<std::uint8_t, 4>{0, 0, 0, 0x80}.data()), 0x80000000U);

  Bytes out;
  PutFixed32(out, 0x12345678);
  PutFixed16(out, 0xABCD);
  EXPECT_EQ(out, Bytes(bytes.begin(), bytes.end()));

  std::array<std::uint8_t, 4> field{};
  EncodeFixed32(field.data(), 0xFF000001);
  EXPECT_EQ(field, (std::array<std::uint8_t, 4>{0x01, 0, 0, 0xFF}));
  EncodeFixed16(field.data() + 1, 0x0302);
  EXPECT_EQ(field, (std::array<std::uint8_t, 4>{0x01, 0x02, 0x03, 0xFF}));
}

TEST(LittleEndian, CheckedFieldsLieWhollyInside) {
  const std::array<std::uint8_t, 6> bytes = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(GetFixed32(bytes, 2), 0x06050403U);   // the last whole field
  EXPECT_EQ(GetFixed32(bytes, 3), std::nullopt);  // one byte short
  EXPECT_EQ(GetFixed16(bytes, 4), 0x0605);
  EXPECT_EQ(GetFixed16(bytes, 5), std::nullopt);
  EXPECT_EQ(GetFixed32(bytes, 6), std::nullopt);
  EXPECT_EQ(GetFixed32({}, 0), std::nullopt);
  // An offset near the top of the range does not wrap round to the start.
  EXPECT_EQ(GetFixed32(bytes, std::numeric_limits<std::uint64_t>::max() - 1), std::nullopt);

  std::array<std::uint8_t, 6> buffer{};
  EXPECT_FALSE(SetFixed32(buffer, 3, 0xFFFFFFFF));
  EXPECT_FALSE(SetFixed16(buffer, 5, 0xFFFF));
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 6>{}));  // nothing written
  EXPECT_TRUE(SetFixed32(buffer, 2, 0x04030201));
  EXPECT_TRUE(SetFixed16(buffer, 0, 0x0201));
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 6>{1, 2, 1, 2, 3, 4}));
}

}  // namespace
}  // namespace base
