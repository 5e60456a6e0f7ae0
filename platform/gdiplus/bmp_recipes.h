// Recipes of the BMP files this layer wrote lately. A converted photo's BMP
// is a pure function of the file it was decoded from, and many times larger
// than that file (6.5 MB for a 1200 x 1800 photo from a JPEG of a few hundred
// KB). Whoever keeps such a BMP for long can keep its recipe instead, the
// file and the BMP's 128-bit hash (XXH3), and write the BMP again when it is
// read (bmp_writer.h): the hash says the bytes written again are the bytes
// first written. The hash is fast (a fraction of a millisecond for a photo's
// BMP) rather than cryptographic: the only party that could make two BMPs
// share it is the site that serves both pictures, and it can serve either
// picture in the first place.
//
// Only BMPs worth it are remembered: at least kRecipeFrom bytes, from a file
// at most a quarter of that and at most kRecipeFileBytes. The last
// kRecipesRemembered are remembered, their files within kRecipeFileBytes
// together (the oldest go first); a recipe found stays valid for as long as
// its holder keeps it. Remembering is a saving, never a condition: when
// memory runs out, nothing is remembered. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

inline constexpr std::size_t kRecipeFrom = std::size_t{1} << 20;
inline constexpr std::size_t kRecipesRemembered = 16;
inline constexpr std::size_t kRecipeFileBytes = std::size_t{16} << 20;

struct Digest {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool operator==(const Digest&) const = default;
};

// XXH3's 128-bit hash of `bytes`.
Digest DigestOf(ByteSpan bytes);

class BmpRecipe {
 public:
  BmpRecipe(std::shared_ptr<const std::vector<std::uint8_t>> source, const Digest& digest,
            std::size_t size)
      : source_(std::move(source)), digest_(digest), size_(size) {}

  const std::shared_ptr<const std::vector<std::uint8_t>>& source() const { return source_; }
  // The BMP's size.
  std::size_t size() const { return size_; }
  const Digest& digest() const { return digest_; }
  // True when `bmp` is the BMP this recipe makes.
  bool Gives(ByteSpan bmp) const { return bmp.size() == size_ && DigestOf(bmp) == digest_; }

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> source_;
  Digest digest_;
  std::size_t size_;
};

// Remembers that `bmp` was written from `source` (a copy of it, when it is
// worth it).
void RememberBmp(ByteSpan source, ByteSpan bmp);

// The recipe of `bmp` when it is one of the BMPs remembered, else null.
std::shared_ptr<const BmpRecipe> FindBmpRecipe(ByteSpan bmp);

}  // namespace gdiplus
