// A photo's BMP written through the API is remembered with its recipe, is
// found again by its bytes alone and is written again byte for byte; what
// is not such a BMP, or not worth a recipe, is not found; and only the
// latest are remembered, while a recipe already found stays good.
#include "platform/gdiplus/bmp_recipes.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include "platform/gdiplus/bmp_writer.h"
#include "tests/platform/gdiplus/gdiplus_started.h"
#include "tests/platform/gdiplus/test_images.h"

namespace gdiplus {
namespace {

using imaging_test::Bytes;
using BmpRecipes = GdiplusStarted;

// A JPEG photo whose 24-bit BMP is at least a megabyte: 800 x (600 + n).
Bytes Photo(std::uint32_t n) {
  return imaging_test::MakeJpeg(imaging_test::MakePattern(800, 600 + n, false), 90, TJSAMP_420);
}

TEST_F(BmpRecipes, APhotosBmpIsFoundByItsBytesAndWrittenAgainExactly) {
  const Bytes jpeg = Photo(0);
  const Bytes bmp = SaveAsBmp(jpeg);
  ASSERT_EQ(bmp.size(), 54u + 800u * 3 * 600);
  ASSERT_LE(jpeg.size(), bmp.size() / 4);
  const std::shared_ptr<const BmpRecipe> recipe = FindBmpRecipe(bmp);
  ASSERT_NE(recipe, nullptr);
  EXPECT_EQ(recipe->size(), bmp.size());
  EXPECT_EQ(*recipe->source(), jpeg);
  EXPECT_EQ(RemakeBmp(*recipe), bmp);

  // The same bytes but one: not a BMP written here.
  Bytes changed = bmp;
  changed[changed.size() / 2] ^= 1;
  EXPECT_EQ(FindBmpRecipe(changed), nullptr);
  EXPECT_FALSE(recipe->Gives(changed));
  // A BMP photo is as large as its BMP, and a small picture's BMP is small:
  // neither is worth a recipe.
  const Bytes fromBmp = SaveAsBmp(bmp);
  ASSERT_EQ(fromBmp, bmp);
  const Bytes small =
      SaveAsBmp(imaging_test::MakeJpeg(imaging_test::MakePattern(40, 30, false), 90, TJSAMP_420));
  ASSERT_FALSE(small.empty());
  EXPECT_EQ(FindBmpRecipe(small), nullptr);
  // The BMP photo's own save was not remembered: the JPEG's still is.
  EXPECT_EQ(FindBmpRecipe(fromBmp), FindBmpRecipe(bmp));
  EXPECT_EQ(*FindBmpRecipe(bmp)->source(), jpeg);
}

TEST_F(BmpRecipes, OnlyTheLatestAreRememberedAndAFoundRecipeStaysGood) {
  const Bytes first = SaveAsBmp(Photo(1));
  const std::shared_ptr<const BmpRecipe> kept = FindBmpRecipe(first);
  ASSERT_NE(kept, nullptr);
  Bytes last;
  for (std::uint32_t n = 2; n < 2 + kRecipesRemembered; ++n) last = SaveAsBmp(Photo(n));
  EXPECT_EQ(FindBmpRecipe(first), nullptr);
  EXPECT_NE(FindBmpRecipe(last), nullptr);
  EXPECT_EQ(RemakeBmp(*kept), first);
}

// The files kept for recipes stay within their bound together, however
// large the photos a site serves: the oldest go first.
TEST(BmpRecipeBound, TheFilesKeptStayWithinTheirBytes) {
  const std::size_t fileSize = kRecipeFileBytes / 2 - 1;  // two fit, not three
  const Bytes file(fileSize, 'J');
  Bytes bmp(4 * fileSize, 'B');
  const auto remember = [&](std::uint8_t which) {
    bmp[0] = which;
    RememberBmp(file, bmp);
  };
  const auto found = [&](std::uint8_t which) {
    bmp[0] = which;
    return FindBmpRecipe(bmp) != nullptr;
  };
  remember(1);
  remember(2);
  EXPECT_TRUE(found(1));
  EXPECT_TRUE(found(2));
  remember(3);
  EXPECT_FALSE(found(1));
  EXPECT_TRUE(found(2));
  EXPECT_TRUE(found(3));
}

}  // namespace
}  // namespace gdiplus
