#include "platform/gdiplus/bmp_recipes.h"

#include <xxhash.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <new>

namespace gdiplus {
namespace {

struct Remembered {
  std::mutex mutex;
  std::deque<std::shared_ptr<const BmpRecipe>> recipes;  // the newest last
  std::size_t fileBytes = 0;                             // of their files together
};

Remembered& TheRecipes() {
  static Remembered remembered;
  return remembered;
}

}  // namespace

Digest DigestOf(ByteSpan bytes) {
  const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  return Digest{hash.low64, hash.high64};
}

void RememberBmp(ByteSpan source, ByteSpan bmp) {
  if (bmp.size() < kRecipeFrom || source.size() > bmp.size() / 4 ||
      source.size() > kRecipeFileBytes) {
    return;
  }
  try {
    auto recipe = std::make_shared<const BmpRecipe>(
        std::make_shared<const std::vector<std::uint8_t>>(source.begin(), source.end()),
        DigestOf(bmp), bmp.size());
    Remembered& r = TheRecipes();
    std::lock_guard lock(r.mutex);
    r.fileBytes += source.size();
    r.recipes.push_back(std::move(recipe));
    while (r.recipes.size() > kRecipesRemembered || r.fileBytes > kRecipeFileBytes) {
      r.fileBytes -= r.recipes.front()->source()->size();
      r.recipes.pop_front();
    }
  } catch (const std::bad_alloc&) {
    // Not remembered: the BMP is kept as it is.
  }
}

std::shared_ptr<const BmpRecipe> FindBmpRecipe(ByteSpan bmp) {
  if (bmp.size() < kRecipeFrom) return nullptr;
  const Digest digest = DigestOf(bmp);
  Remembered& r = TheRecipes();
  std::lock_guard lock(r.mutex);
  const auto found = std::find_if(r.recipes.rbegin(), r.recipes.rend(), [&](const auto& recipe) {
    return recipe->size() == bmp.size() && recipe->digest() == digest;
  });
  return found == r.recipes.rend() ? nullptr : *found;
}

}  // namespace gdiplus
