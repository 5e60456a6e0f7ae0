#include "runtime/core/unit_model.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <optional>
#include <thread>

#include "platform/gdiplus/pixel_budget.h"
#include "runtime/form/unit_types.h"
#include "tests/platform/gdiplus/gdiplus_started.h"
#include "tests/platform/gdiplus/test_images.h"

namespace korvex {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

constexpr std::uint32_t kList = 1, kBox = 2, kButton = 3, kStatus = 4, kDialog = 5;

UnitModel MakeModel() {
  return UnitModel({{kList, form::kTypeListBox},
                    {kBox, form::kTypePictureBox},
                    {kButton, form::kTypeButton},
                    {kStatus, form::kTypeStatusBar},
                    {kDialog, form::kTypeCommonDialog}});
}

TEST(UnitModel, PropertiesOnlyApplyToTheirUnitTypes) {
  UnitModel m = MakeModel();
  m.WriteProperty(kBox, kPropPicture, std::string("not bytes"));  // wrong value type
  EXPECT_TRUE(std::get<Bytes>(m.ReadProperty(kBox, kPropPicture)).empty());
  m.WriteProperty(kButton, kPropPicture, Bytes{1});  // no such property
  EXPECT_TRUE(std::holds_alternative<std::monostate>(m.ReadProperty(kButton, kPropPicture)));
  m.WriteProperty(kButton, kPropDisabled, std::int32_t{1});
  EXPECT_TRUE(std::get<bool>(m.ReadProperty(kButton, kPropDisabled)));
  m.ListAdd(kBox, "not a list");
  EXPECT_EQ(m.ListCount(kBox), 0);
  m.WriteProperty(99, kPropPicture, Bytes{1});  // unknown unit
  EXPECT_TRUE(std::holds_alternative<std::monostate>(m.ReadProperty(99, kPropPicture)));
  m.SetDialogFileName(kDialog, "x.bmp", "x.bmp");
  EXPECT_EQ(std::get<std::string>(m.ReadProperty(kDialog, kPropDialogFile)), "x.bmp");
  // Emptiness as the program reads it: as text, which ends at its first NUL.
  EXPECT_TRUE(m.PropertyEmpty(kBox, kPropPicture));
  m.WriteProperty(kBox, kPropPicture, Bytes{0, 'B', 'M'});
  EXPECT_TRUE(m.PropertyEmpty(kBox, kPropPicture));
  m.WriteProperty(kBox, kPropPicture, Bytes{'B', 0});
  EXPECT_FALSE(m.PropertyEmpty(kBox, kPropPicture));
  m.WriteProperty(kBox, kPropPicture, Bytes{});
  EXPECT_TRUE(m.PropertyEmpty(kBox, kPropPicture));
  EXPECT_TRUE(m.PropertyEmpty(kButton, kPropPicture));
  EXPECT_TRUE(m.PropertyEmpty(99, kPropPicture));
  EXPECT_FALSE(m.PropertyEmpty(kDialog, kPropDialogFile));
  m.SetStatusText(kStatus, -1, "ignored");
  EXPECT_EQ(m.StatusText(kStatus, -1), "");
}

using PhotoPictures = gdiplus::GdiplusStarted;

// A converted photo's BMP is kept as the file it was written from, a
// fraction of its size; the box's bytes read back exactly, first as given
// and then written again, also once newer conversions have pushed its recipe
// out of those remembered. Bytes that are no conversion's stay as they are.
TEST_F(PhotoPictures, APhotosBmpIsKeptAsItsRecipeAndReadsBackExactly) {
  const Bytes jpeg = imaging_test::MakeJpeg(imaging_test::MakePattern(900, 700, false), 90, 2);
  const Bytes bmp = gdiplus::SaveAsBmp(jpeg);
  ASSERT_EQ(bmp.size(), 54u + 900u * 3 * 700);
  UnitModel m = MakeModel();
  m.WriteProperty(kBox, kPropPicture, Bytes(bmp));
  const auto kept = m.Picture(kBox);
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(kept->ByRecipe());
  EXPECT_FALSE(kept->InFile());
  EXPECT_EQ(kept->size(), bmp.size());
  for (int read = 0; read < 2; ++read) {
    const StoredPicture::View view = kept->Map();
    ASSERT_EQ(view.bytes().size(), bmp.size()) << "read " << read;
    EXPECT_TRUE(std::equal(view.bytes().begin(), view.bytes().end(), bmp.begin()));
  }
  for (std::uint32_t n = 1; n <= gdiplus::kRecipesRemembered; ++n) {
    gdiplus::SaveAsBmp(imaging_test::MakeJpeg(imaging_test::MakePattern(800, 600 + n, false), 90, 2));
  }
  EXPECT_EQ(std::get<Bytes>(m.ReadProperty(kBox, kPropPicture)), bmp);

  // Writing it again waits for its turn on the pixel budget, without
  // holding the model meanwhile.
  std::optional<gdiplus::PixelLease> all(std::in_place, gdiplus::kPixelBudget);
  auto reading = std::async(std::launch::async, [&] { return m.ReadProperty(kBox, kPropPicture); });
  while (gdiplus::PixelLeasesWaiting() == 0 &&
         reading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    std::this_thread::yield();
  }
  ASSERT_EQ(gdiplus::PixelLeasesWaiting(), 1);  // the race is reached: the read waits
  auto other = std::async(std::launch::async, [&] { return m.IsDisabled(kBox); });
  EXPECT_EQ(other.wait_for(std::chrono::minutes(1)), std::future_status::ready);
  EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  all.reset();
  EXPECT_EQ(std::get<Bytes>(reading.get()), bmp);

  Bytes different = bmp;
  different[100] ^= 1;
  m.WriteProperty(kBox, kPropPicture, Bytes(different));
  EXPECT_FALSE(m.Picture(kBox)->ByRecipe());
  EXPECT_EQ(std::get<Bytes>(m.ReadProperty(kBox, kPropPicture)), different);
}

TEST(UnitModel, ALargePictureIsKeptInAnUnnamedCacheFileAndReadsBackExactly) {
  namespace fs = std::filesystem;
  const fs::path cache = ::testing::TempDir() + "pixaroo-cache-" + std::to_string(::getpid());
  fs::remove_all(cache);
  const char* oldCache = std::getenv("XDG_CACHE_HOME");
  const std::string savedCache = oldCache != nullptr ? oldCache : "";
  Bytes big(StoredPicture::kBoxInFileFrom + 5);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  big[0] = 'B';
  auto keepAndCheck = [&](bool inFile) {
    UnitModel m = MakeModel();
    m.WriteProperty(kBox, kPropPicture, Bytes(big));
    const auto kept = m.Picture(kBox);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->InFile(), inFile);
    EXPECT_EQ(std::get<Bytes>(m.ReadProperty(kBox, kPropPicture)), big);
    const StoredPicture::View view = kept->Map();
    ASSERT_EQ(view.bytes().size(), big.size());
    EXPECT_TRUE(std::equal(view.bytes().begin(), view.bytes().end(), big.begin()));
    EXPECT_FALSE(m.PropertyEmpty(kBox, kPropPicture));
  };
  ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  keepAndCheck(true);
  // The folder is the user's alone and keeps no named file behind.
  EXPECT_EQ(fs::status(cache / "pixaroo").permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(fs::is_empty(cache / "pixaroo"));
  // The viewer's photos, read again and again, go to a file only when far
  // larger.
  EXPECT_FALSE(StoredPicture::KeepAsGiven(Bytes(big))->InFile());
  EXPECT_TRUE(StoredPicture::KeepAsGiven(Bytes(StoredPicture::kInFileFrom, 'B'))->InFile());
  // A smaller picture stays in memory; so does a large one no folder takes.
  UnitModel m = MakeModel();
  m.WriteProperty(kBox, kPropPicture, Bytes(StoredPicture::kBoxInFileFrom - 1, 'B'));
  EXPECT_FALSE(m.Picture(kBox)->InFile());
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome != nullptr ? oldHome : "";
  ::setenv("XDG_CACHE_HOME", "relative", 1);  // relative paths are no place
  ::setenv("HOME", "relative", 1);
  keepAndCheck(false);
  if (oldHome != nullptr) ::setenv("HOME", savedHome.c_str(), 1);
  if (oldCache != nullptr) {
    ::setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
  } else {
    ::unsetenv("XDG_CACHE_HOME");
  }
  fs::remove_all(cache);
}

TEST(UnitModel, ListTailsTellViewsAboutClears) {
  UnitModel m = MakeModel();
  m.ListAdd(kList, "a");
  m.ListAdd(kList, "b");
  auto tail = m.ListItemsFrom(kList, 1);
  EXPECT_EQ(tail.items, std::vector<std::string>{"b"});
  const auto clears = tail.clears;
  m.ListClear(kList);
  m.ListAdd(kList, "c");
  m.ListAdd(kList, "d");
  m.ListAdd(kList, "e");
  tail = m.ListItemsFrom(kList, 2);
  EXPECT_NE(tail.clears, clears);  // the view must start again
  EXPECT_EQ(m.ListItemsFrom(kList, 0).items, (std::vector<std::string>{"c", "d", "e"}));
  EXPECT_TRUE(m.ListItemsFrom(kList, 10).items.empty());
}

TEST(UnitModel, DetachedObserverIsNeverCalledAgain) {
  UnitModel m = MakeModel();
  std::atomic<int> calls{0};
  std::atomic<bool> detaching{false};
  std::atomic<bool> detached{false};
  std::atomic<bool> lateCall{false};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> stop{false};
  std::promise<void> inCall;
  m.SetObserver([&](const UnitChange&) {
    if (detached) lateCall = true;
    // The tenth call holds until the detach has begun, then lingers a while
    // longer: a detach that did not wait for it would end meanwhile.
    if (++calls == 10) {
      inCall.set_value();
      while (!detaching) std::this_thread::yield();
      overlapped = true;
      // A bound on the linger only: a slow machine makes a broken detach
      // harder to catch, never fails a sound one.
      for (int i = 0; i < 500 && !detached; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (detached) lateCall = true;
    }
  });
  std::thread writer([&] {
    while (!stop) m.ListAdd(kList, "x");
  });
  inCall.get_future().wait();
  detaching = true;
  m.SetObserver(nullptr);
  detached = true;
  // The writer goes on writing after the detach.
  const int atDetach = m.ListCount(kList);
  while (m.ListCount(kList) < atDetach + 1000) std::this_thread::yield();
  stop = true;
  writer.join();
  EXPECT_TRUE(overlapped);  // the detach began while the tenth call ran
  EXPECT_GE(calls, 10);
  EXPECT_GE(m.ListCount(kList), atDetach + 1000);
  EXPECT_FALSE(lateCall);
}

}  // namespace
}  // namespace korvex
