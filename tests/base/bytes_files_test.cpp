#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/files.h"

namespace base {
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

// A file system that forgets what was never synced, in the manner of
// LevelDB's fault-injection environment: it passes every call on to the real
// one, logs it, and keeps per file whether its bytes would survive a crash
// now. One call can be made to fail.
struct ForgetfulFileSystem {
  struct File {
    bool durable = true;  // every byte written so far has been synced
  };
  std::vector<std::string> log;
  std::map<int, std::string> openFiles;  // descriptor -> path
  std::map<std::string, File> files;
  std::string failing;  // "write", "fsync", "close" or "rename": that call fails
};
ForgetfulFileSystem* g_fs = nullptr;

int FsOpen(const char* path, int flags, mode_t mode) {
  const int fd = RealFileSystemCalls().open(path, flags, mode);
  g_fs->log.push_back(std::string("open ") + path);
  if (fd >= 0) {
    g_fs->openFiles[fd] = path;
    if ((flags & O_TRUNC) != 0 || !g_fs->files.contains(path)) g_fs->files[path].durable = false;
  }
  return fd;
}
ssize_t FsWrite(int fd, const void* data, std::size_t size) {
  const std::string& path = g_fs->openFiles[fd];
  g_fs->log.push_back("write " + path);
  if (g_fs->failing == "write") {
    errno = ENOSPC;
    return -1;
  }
  g_fs->files[path].durable = false;
  return RealFileSystemCalls().write(fd, data, size);
}
int FsFsync(int fd) {
  const std::string& path = g_fs->openFiles[fd];
  g_fs->log.push_back("fsync " + path);
  if (g_fs->failing == "fsync") {
    errno = EIO;
    return -1;
  }
  const int r = RealFileSystemCalls().fsync(fd);
  if (r == 0) g_fs->files[path].durable = true;
  return r;
}
int FsClose(int fd) {
  g_fs->log.push_back("close " + g_fs->openFiles[fd]);
  g_fs->openFiles.erase(fd);
  const int r = RealFileSystemCalls().close(fd);
  if (g_fs->failing == "close") {
    errno = EIO;
    return -1;
  }
  return r;
}
int FsRename(const char* from, const char* to) {
  g_fs->log.push_back(std::string("rename ") + from + " " + to);
  if (g_fs->failing == "rename") {
    errno = EXDEV;
    return -1;
  }
  const int r = RealFileSystemCalls().rename(from, to);
  if (r == 0) {
    g_fs->files[to] = g_fs->files[from];
    g_fs->files.erase(from);
  }
  return r;
}
int FsUnlink(const char* path) {
  g_fs->log.push_back(std::string("unlink ") + path);
  g_fs->files.erase(path);
  return RealFileSystemCalls().unlink(path);
}
constexpr FileSystemCalls kForgetful{&FsOpen, &FsWrite, &FsFsync, &FsClose, &FsRename, &FsUnlink};

std::vector<std::string> Entries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Files, AtomicWriteReplacesWholeAndFailureKeepsOldFile) {
  namespace fs = std::filesystem;
  const auto dir = fs::temp_directory_path() / ("pixaroo-files-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const auto path = (dir / "confi.ini").string();
  ASSERT_TRUE(WriteFileAtomic(path, TextToBytes("first, longer content")).ok());
  ASSERT_TRUE(WriteFileAtomic(path, TextToBytes("second")).ok());
  EXPECT_EQ(BytesToText(ReadWholeFile(path)), "second");

  // Seen through a file system that forgets unsynced bytes: the target is
  // never opened (no writing in place), and what is renamed over it was
  // synced first, so a crash at any moment leaves the old or the new file.
  ForgetfulFileSystem forgetful;
  forgetful.files[path] = {};
  g_fs = &forgetful;
  SetFileSystemCallsForTesting(&kForgetful);
  EXPECT_TRUE(WriteFileAtomic(path, TextToBytes("third")).ok());
  SetFileSystemCallsForTesting(nullptr);
  EXPECT_EQ(BytesToText(ReadWholeFile(path)), "third");
  EXPECT_TRUE(forgetful.files[path].durable) << "a crash now would lose the new bytes";
  EXPECT_EQ(std::count(forgetful.log.begin(), forgetful.log.end(), "open " + path), 0);
  ASSERT_FALSE(forgetful.log.empty());
  EXPECT_TRUE(forgetful.log.back().starts_with("rename " + (dir / "").string()))
      << forgetful.log.back();
  EXPECT_TRUE(forgetful.log.back().ends_with(" " + path)) << forgetful.log.back();
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"confi.ini"});

  // A failure once the temporary exists, at each step: the errno of that
  // step, the old file as it was, the temporary gone.
  const struct {
    const char* step;
    int reason;  // what the fake file system says for it
  } kFailures[] = {{"write", ENOSPC}, {"fsync", EIO}, {"close", EIO}, {"rename", EXDEV}};
  for (const auto& failure : kFailures) {
    const std::string step = failure.step;
    SCOPED_TRACE(step);
    ForgetfulFileSystem failing;
    failing.failing = step;
    g_fs = &failing;
    SetFileSystemCallsForTesting(&kForgetful);
    const FileResult written = WriteFileAtomic(path, TextToBytes("fourth, not to be seen"));
    SetFileSystemCallsForTesting(nullptr);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code, failure.reason);
    // The failing call was reached, on the temporary.
    ASSERT_FALSE(failing.log.empty());
    const std::string temp = failing.log.front().substr(std::string("open ").size());
    EXPECT_NE(temp, path);
    EXPECT_NE(std::find_if(failing.log.begin(), failing.log.end(),
                           [&](const std::string& call) {
                             return call.starts_with(step + " " + temp);
                           }),
              failing.log.end());
    EXPECT_EQ(BytesToText(ReadWholeFile(path)), "third");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"confi.ini"});
  }
  g_fs = nullptr;

  // The real file system, for any user: the target is a folder, so the
  // rename fails after the temporary was written; the folder keeps its file.
  const fs::path folder = dir / "taken";
  fs::create_directories(folder);
  ASSERT_TRUE(WriteFileAtomic((folder / "inside").string(), TextToBytes("kept")).ok());
  const FileResult overFolder = WriteFileAtomic(folder.string(), TextToBytes("not a folder"));
  ASSERT_FALSE(overFolder.ok());
  EXPECT_EQ(overFolder.error().code, EISDIR);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(BytesToText(ReadWholeFile((folder / "inside").string())), "kept");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"confi.ini", "taken"}));
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"inside"});

  for (const std::string& nowhere : {(dir / "no-such-folder" / "x").string(), std::string()}) {
    const FileResult written = WriteFileAtomic(nowhere, Bytes{1});
    ASSERT_FALSE(written.ok()) << nowhere;
    EXPECT_EQ(written.error().code, ENOENT) << nowhere;
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"confi.ini", "taken"}));
  fs::remove_all(dir);
}

TEST(Files, MakeDirectoriesMakesPrivateFoldersAndSaysWhyItCouldNot) {
  namespace fs = std::filesystem;
  const auto dir = fs::temp_directory_path() / ("pixaroo-dirs-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const auto made = dir / "a" / "b";
  ASSERT_TRUE(MakeDirectories(made.string()).ok());
  for (const auto& folder : {dir / "a", made}) {
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all)
        << folder;
  }
  EXPECT_TRUE(MakeDirectories(made.string()).ok());  // already there

  // The reason is that of the folder that could not be made, not whatever
  // the calls after it left behind.
  ASSERT_TRUE(WriteFileAtomic((dir / "file").string(), TextToBytes("x")).ok());
  const struct {
    std::filesystem::path path;
    int reason;
  } kRefused[] = {
      {dir / "file" / "sub", ENOTDIR},
      {dir / std::string(300, 'n') / "sub", ENAMETOOLONG},
      {dir / "file", ENOTDIR},  // a file is there
  };
  for (const auto& [path, reason] : kRefused) {
    const FileResult made = MakeDirectories(path.string());
    ASSERT_FALSE(made.ok()) << path;
    EXPECT_EQ(made.error().code, reason) << path;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace base
