#include "runtime/core/stored_picture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "base/files.h"
#include "platform/gdiplus/bmp_writer.h"

namespace korvex {
namespace {

// The user's cache folder for the program's files, with its separator;
// empty when there is none (only absolute paths count).
std::string PictureFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/pixaroo/";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/pixaroo/";
  return {};
}

// An unnamed file open for reading and writing in the picture folder, or -1.
int UnnamedFile() {
  const std::string folder = PictureFolder();
  if (folder.empty() || !base::MakeDirectories(folder.substr(0, folder.size() - 1)).ok()) {
    return -1;
  }
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  // A file system without unnamed files: a named one, unlinked at once.
  std::string name = folder + "picture-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::shared_ptr<const StoredPicture> StoredPicture::Keep(base::Bytes bytes) {
  std::shared_ptr<const gdiplus::BmpRecipe> recipe = gdiplus::FindBmpRecipe(bytes);
  if (recipe == nullptr) return KeepBytes(std::move(bytes), kBoxInFileFrom);
  std::shared_ptr<StoredPicture> p(new StoredPicture);
  p->size_ = bytes.size();
  p->front_ = bytes.front();
  p->recipe_ = std::move(recipe);
  p->first_ = std::make_shared<const base::Bytes>(std::move(bytes));
  return p;
}

std::shared_ptr<const StoredPicture> StoredPicture::KeepAsGiven(base::Bytes bytes) {
  return KeepBytes(std::move(bytes), kInFileFrom);
}

std::shared_ptr<const StoredPicture> StoredPicture::KeepBytes(base::Bytes bytes,
                                                              std::size_t inFileFrom) {
  if (bytes.empty()) return nullptr;
  std::shared_ptr<StoredPicture> p(new StoredPicture);
  p->size_ = bytes.size();
  p->front_ = bytes.front();
  if (bytes.size() >= inFileFrom) {
    const int fd = UnnamedFile();
    if (fd >= 0 && WriteAll(fd, bytes.data(), bytes.size())) {
      p->fd_ = fd;
      return p;
    }
    if (fd >= 0) ::close(fd);
  }
  p->memory_ = std::make_shared<const base::Bytes>(std::move(bytes));
  return p;
}

std::shared_ptr<const StoredPicture> StoredPicture::Nothing() {
  return std::shared_ptr<const StoredPicture>(new StoredPicture);
}

std::shared_ptr<const StoredPicture> StoredPicture::Share(
    std::shared_ptr<const base::Bytes> bytes) {
  if (bytes == nullptr || bytes->empty()) return nullptr;
  std::shared_ptr<StoredPicture> p(new StoredPicture);
  p->size_ = bytes->size();
  p->front_ = bytes->front();
  p->memory_ = std::move(bytes);
  return p;
}

StoredPicture::~StoredPicture() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint8_t StoredPicture::front() const { return front_; }

std::shared_ptr<const base::Bytes> StoredPicture::TakeFirst() const {
  std::lock_guard lock(firstMutex_);
  return std::exchange(first_, nullptr);
}

base::Bytes StoredPicture::Read() const {
  if (memory_) return *memory_;
  if (recipe_) {
    const std::shared_ptr<const base::Bytes> first = TakeFirst();
    return first != nullptr ? *first : gdiplus::RemakeBmp(*recipe_);
  }
  base::Bytes out(size_);
  std::size_t done = 0;
  while (done < size_) {
    const ssize_t n = ::pread(fd_, out.data() + done, size_ - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    done += static_cast<std::size_t>(n);
  }
  return out;
}

StoredPicture::View StoredPicture::Map() const {
  View view;
  if (memory_) {
    view.bytes_ = *memory_;
    return view;
  }
  if (recipe_) {
    view.held_ = TakeFirst();
    if (view.held_ == nullptr) {
      base::Bytes again = gdiplus::RemakeBmp(*recipe_);
      if (again.empty()) return view;
      view.held_ = std::make_shared<const base::Bytes>(std::move(again));
    }
    view.bytes_ = *view.held_;
    return view;
  }
  void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd_, 0);
  if (mapped == MAP_FAILED) return view;
  view.mapped_ = mapped;
  view.bytes_ = {static_cast<const std::uint8_t*>(mapped), size_};
  return view;
}

StoredPicture::View::~View() {
  if (mapped_ != nullptr) ::munmap(mapped_, bytes_.size());
}

StoredPicture::View::View(View&& other) noexcept
    : bytes_(std::exchange(other.bytes_, {})),
      mapped_(std::exchange(other.mapped_, nullptr)),
      held_(std::move(other.held_)) {}

}  // namespace korvex
