#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "runtime/text/bytes.h"
#include "runtime/text/files.h"

namespace korvex {
namespace {

TEST(Bytes, ConversionsStopAtNulAndClamp) {
  const Bytes b{'a', 'b', 0, 'c'};
  EXPECT_EQ(BytesToText(b), "ab");
  EXPECT_EQ(BytesToText({}), "");
  EXPECT_EQ(TextToBytes("xy"), (Bytes{'x', 'y'}));
  EXPECT_EQ(BytesLeft(b, 2), (Bytes{'a', 'b'}));
  EXPECT_EQ(BytesLeft(b, 10), b);
  EXPECT_EQ(ZeroBytes(3), (Bytes{0, 0, 0}));
  const Bytes le{0x78, 0x56, 0x34, 0x12, 0xFF};
  EXPECT_EQ(ReadInt32At(le, 1), 0x12345678);
  EXPECT_EQ(ReadInt32At(le, 2), static_cast<std::int32_t>(0xFF123456));
  EXPECT_EQ(ReadInt32At(le, 3), 0);  // runs past the end
  EXPECT_EQ(ReadInt32At(le, 0), 0);
  std::uint8_t mem[3] = {1, 2, 3};
  EXPECT_EQ(BytesFromMemory(mem, 3), (Bytes{1, 2, 3}));
  EXPECT_TRUE(BytesFromMemory(nullptr, 3).empty());
  Bytes copy(3);
  CopyBytesTo(copy.data(), Bytes{7, 8, 9});
  EXPECT_EQ(copy, (Bytes{7, 8, 9}));
}

TEST(Files, NamesConvertBetweenGbkTextsAndFileSystemNames) {
  bool exact = false;
  EXPECT_EQ(TextFromFileName("/tmp/\xE5\x9B\xBE.bmp", &exact), "/tmp/\xCD\xBC.bmp");  // 图
  EXPECT_TRUE(exact);
  EXPECT_EQ(TextFromFileName("/tmp/\xC3\x96/a.bmp", &exact), "/tmp/?/a.bmp");  // Ö
  EXPECT_FALSE(exact);
  EXPECT_EQ(FileNameFromText(std::string_view("/tmp/\xCD\xBC.bmp\0/x", 14)),
            "/tmp/\xE5\x9B\xBE.bmp");  // a text ends at its NUL
  // Bytes GBK cannot read name no file.
  EXPECT_EQ(FileNameFromText("/tmp/\xFF.bmp"), "");
  EXPECT_EQ(FileNameFromText("/tmp/a\x81"), "");
}

TEST(Files, ProgramDirectoryEndsWithSeparator) {
  const auto dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST(Files, AtomicWriteReplacesWholeAndFailureKeepsOldFile) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("pixaroo-files-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = (dir / "confi.ini").string();
  ASSERT_TRUE(WriteFileAtomic(path, TextToBytes("first, longer content")));
  ASSERT_TRUE(WriteFileAtomic(path, TextToBytes("second")));
  EXPECT_EQ(BytesToText(ReadWholeFile(path)), "second");

  // A write that cannot complete (the folder is read-only) leaves the old
  // file as it was and no temporary behind.
  if (::geteuid() != 0) {
    ::chmod(dir.c_str(), 0500);
    EXPECT_FALSE(WriteFileAtomic(path, TextToBytes("third")));
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(BytesToText(ReadWholeFile(path)), "second");
  }
  EXPECT_FALSE(WriteFileAtomic((dir / "no-such-folder" / "x").string(), Bytes{1}));
  EXPECT_FALSE(WriteFileAtomic("", Bytes{1}));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1u);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvex
