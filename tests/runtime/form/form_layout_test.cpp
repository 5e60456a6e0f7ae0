// The main window's description, byte for byte: header words, id table,
// record offsets and lengths, and fields at known positions. Expected values
// are worked out by hand from the layout in runtime/form/FORMAT.md.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "runtime/form/writer.h"
#include "program/pages/main_window_form.h"

namespace {

using base::Bytes;

std::uint32_t Word(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::string TextAt(const Bytes& b, std::size_t at, std::size_t n) {
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + n));
}

class MainWindowBytes : public ::testing::Test {
 protected:
  Bytes bytes = korvex::form::WriteForm(pixaroo::MainWindowForm());
};

TEST_F(MainWindowBytes, HeaderAndTables) {
  ASSERT_EQ(bytes.size(), 0xC29u);
  EXPECT_EQ(Word(bytes, 0x00), 8u);
  EXPECT_EQ(Word(bytes, 0x04), 0x52010001u);
  EXPECT_EQ(Word(bytes, 0x08), 0x0137E840u);
  EXPECT_EQ(Word(bytes, 0x0C), 11u);
  EXPECT_EQ(Word(bytes, 0x10), 0x19010013u);
  EXPECT_EQ(Word(bytes, 0x14), 0u);
  EXPECT_EQ(Word(bytes, 0x18), 0u);
  EXPECT_EQ(Word(bytes, 0x1C), 19u);
  EXPECT_EQ(Word(bytes, 0x20), 0xC29u - 0x24u);

  const std::array<std::uint32_t, 19> ids = {
      0x06010000, 0x16017215, 0x16011AC1, 0x26011AB6, 0x26011AB7, 0x1601180A, 0x16011809,
      0x160117F4, 0x160117F3, 0x160117F2, 0x160117F1, 0x160117EF, 0x160117EE, 0x16010021,
      0x16010012, 0x16010011, 0x16010010, 0x1601000F, 0x16010008};
  // Record lengths including the length word.
  const std::array<std::uint32_t, 19> sizes = {239, 122, 233, 67,  71,  172, 118, 162, 162, 154,
                                               154, 162, 162, 219, 154, 154, 152, 126, 142};
  constexpr std::size_t kArea = 0xBC;
  std::size_t offset = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE("unit " + std::to_string(i));
    EXPECT_EQ(Word(bytes, 0x24 + 4 * i), ids[i]);
    EXPECT_EQ(Word(bytes, 0x24 + 4 * 19 + 4 * i), offset);
    EXPECT_EQ(Word(bytes, kArea + offset), sizes[i] - 4);
    offset += sizes[i];
  }
  EXPECT_EQ(kArea + offset, bytes.size());
}

TEST_F(MainWindowBytes, FieldsAtKnownPositions) {
  // Window record: first record, type id after the length, title in the settings.
  EXPECT_EQ(Word(bytes, 0xC0), 0x00010001u);
  EXPECT_EQ(Word(bytes, 0x193), 16u);
  EXPECT_EQ(TextAt(bytes, 0x197, 16), "Vexora-QQPixaroo");

  // Dialog settings at 0x29B: eighteen words, then the filter with its
  // 18-byte length prefix, an empty text and "*.bmp".
  EXPECT_EQ(Word(bytes, 0x29B), 1u);
  EXPECT_EQ(Word(bytes, 0x2E3), 18u);
  EXPECT_EQ(TextAt(bytes, 0x2E7, 18),
            "\xCE\xBB\xCD\xBC\xA3\xA8*.bmp)|*.bmp");  // 位图（*.bmp)|*.bmp
  EXPECT_EQ(Word(bytes, 0x2F9), 0u);
  EXPECT_EQ(Word(bytes, 0x2FD), 5u);
  EXPECT_EQ(TextAt(bytes, 0x301, 5), "*.bmp");

  // Menu entry "保存图片": caption and its routine (record 15 of the code segment).
  EXPECT_EQ(TextAt(bytes, 0x37B, 9), std::string("\xB1\xA3\xB4\xE6\xCD\xBC\xC6\xAC", 9));
  EXPECT_EQ(Word(bytes, 0x384), 15u * 0x40u);

  // Status bar settings at 0x8E8: four words, the font size 60, the LOGFONTA.
  EXPECT_EQ(Word(bytes, 0x8E8 + 16), 60u);
  EXPECT_EQ(static_cast<std::int32_t>(Word(bytes, 0x8FC)), -12);
  EXPECT_EQ(Word(bytes, 0x8FC + 16), 400u);
  EXPECT_EQ(bytes[0x913], 134);
  EXPECT_EQ(TextAt(bytes, 0x918, 5), std::string("\xCB\xCE\xCC\xE5", 5));  // 宋体 and its NUL
  EXPECT_EQ(Word(bytes, 0x8FC + 60 + 12), 636u);
}

}  // namespace
