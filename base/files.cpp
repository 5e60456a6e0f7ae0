#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/charset.h"

namespace base {
namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

constexpr FileSystemCalls kRealCalls{&RealOpen, &::write, &::fsync, &::close, &::rename, &::unlink};
std::atomic<const FileSystemCalls*> g_calls{&kRealCalls};

const FileSystemCalls& Sys() { return *g_calls.load(std::memory_order_acquire); }

bool WriteAll(int fd, const Bytes& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = Sys().write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;  // a write that makes no progress
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string FileNameFromText(std::string_view text) {
  const std::string_view gbk = text.substr(0, text.find('\0'));
  std::string name = GbkToUtf8(gbk);
  return Utf8ToGbk(name) == gbk ? name : std::string();
}

std::string TextFromFileName(std::string_view name, bool* exact) {
  std::string text = Utf8ToGbk(name);
  if (exact != nullptr) *exact = GbkToUtf8(text) == name;
  return text;
}

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<std::size_t>(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string UserDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.local/share/";
}

FileResult MakeDirectories(const std::string& path) {
  // Each missing folder from the top down, so that every one of them gets
  // the private mode (create_directories would give the umask's).
  int failed = 0;  // the reason the first folder could not be made
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!folder.empty() && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      failed = errno;
      break;
    }
    if (end == std::string::npos) break;
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return Done{};
  return FileError{failed != 0 ? failed : ENOTDIR};
}

FileResult WriteFileAtomic(const std::string& path, const Bytes& data) {
  const auto fail = [](int err) { return FileResult(FileError{err}); };
  if (path.empty()) return fail(ENOENT);
  // A unique name beside the target, created exclusively; mode 0666 less the
  // umask, as any newly written file gets.
  static std::atomic<unsigned> serial{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fd = Sys().open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);
  bool ok = WriteAll(fd, data) && Sys().fsync(fd) == 0;
  int err = ok ? 0 : errno;
  if (Sys().close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && Sys().rename(temp.c_str(), path.c_str()) == 0) return Done{};
  if (ok) err = errno;
  Sys().unlink(temp.c_str());
  return fail(err);
}

const FileSystemCalls& RealFileSystemCalls() { return kRealCalls; }

void SetFileSystemCallsForTesting(const FileSystemCalls* calls) {
  g_calls.store(calls != nullptr ? calls : &kRealCalls, std::memory_order_release);
}

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace base
