// A picture box's bytes as the runtime keeps them. A photo's BMP that the
// conversion wrote lately is kept as its recipe (platform/gdiplus/
// bmp_recipes.h): the photo's file, a fraction of the BMP's size; the bytes
// as given are held until first read (the box's display scales them), and
// later reads write the BMP again from the file. Any other large picture is
// kept in an unnamed file in the user's cache folder ($XDG_CACHE_HOME, else
// $HOME/.cache, then "pixaroo", made 0700; absolute paths only). So a page
// of the largest photos does not hold them all in memory. Either way the
// bytes read back are exactly the bytes kept.
//
// The file is unlinked from the start: it has no name, nothing else can
// open it, and it goes with the last reference (or the process). Kept bytes
// never change. Any thread; a View belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "base/bytes.h"
#include "platform/gdiplus/bmp_recipes.h"

namespace korvex {

class StoredPicture {
 public:
  // A box's picture with no recipe goes to a file from this size on (a
  // photo from a BMP or TIFF file, say); any picture from kInFileFrom on.
  static constexpr std::size_t kBoxInFileFrom = std::size_t{2} << 20;
  static constexpr std::size_t kInFileFrom = std::size_t{16} << 20;

  // Keeps a box's `bytes` (moved in, not copied); null for empty bytes. A
  // photo's BMP that the conversion wrote lately is kept as its recipe. A
  // large picture that no file can take stays in memory.
  static std::shared_ptr<const StoredPicture> Keep(base::Bytes bytes);
  // The same, never as a recipe and in a file only from kInFileFrom on: for
  // a holder that reads its picture again and again (the viewer decodes it
  // anew for every size it shows).
  static std::shared_ptr<const StoredPicture> KeepAsGiven(base::Bytes bytes);
  // A picture of no bytes (Keep gives null for those): for a holder that
  // must tell "nothing could be had" from "nothing yet".
  static std::shared_ptr<const StoredPicture> Nothing();
  // Bytes already shared, kept in memory as they are.
  static std::shared_ptr<const StoredPicture> Share(std::shared_ptr<const base::Bytes> bytes);

  ~StoredPicture();
  StoredPicture(const StoredPicture&) = delete;
  StoredPicture& operator=(const StoredPicture&) = delete;

  std::size_t size() const { return size_; }
  bool InFile() const { return fd_ >= 0; }
  // True when kept as the recipe the picture was written by.
  bool ByRecipe() const { return recipe_ != nullptr; }
  std::uint8_t front() const;
  // A copy of the bytes; empty only when a file can no longer be read, or
  // memory runs out writing the picture again.
  base::Bytes Read() const;

  // The bytes to read while the view lives: the memory's own, the file's
  // mapped for reading and given back (out of the process's memory) when
  // the view goes, or the picture as its recipe writes it, held by the
  // view. Empty when the file cannot be mapped or the picture written.
  class View {
   public:
    View() = default;
    ~View();
    View(View&& other) noexcept;
    View& operator=(View&&) = delete;
    View(const View&) = delete;
    std::span<const std::uint8_t> bytes() const { return bytes_; }

   private:
    friend class StoredPicture;
    std::span<const std::uint8_t> bytes_;
    void* mapped_ = nullptr;                   // set when the view owns a mapping
    std::shared_ptr<const base::Bytes> held_;  // set when the view owns the bytes
  };
  View Map() const;

 private:
  StoredPicture() = default;
  static std::shared_ptr<const StoredPicture> KeepBytes(base::Bytes bytes, std::size_t inFileFrom);
  // With a recipe: the bytes as given, once; null after the first read.
  std::shared_ptr<const base::Bytes> TakeFirst() const;
  std::shared_ptr<const base::Bytes> memory_;
  std::shared_ptr<const gdiplus::BmpRecipe> recipe_;
  mutable std::mutex firstMutex_;
  mutable std::shared_ptr<const base::Bytes>
      first_;  // with a recipe: the bytes as given, until read
  int fd_ = -1;
  std::size_t size_ = 0;
  std::uint8_t front_ = 0;
};

}  // namespace korvex
