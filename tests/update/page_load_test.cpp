// Page loads against a crafted site: a superseded load writes no box and
// stops its transfers; a badge host that does not answer holds up neither
// the usage notice nor paging.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "imaging/convert_image_format.h"
#include "runtime/inet/http_read.h"
#include "tests/update/crafted_site.h"
#include "ui/paging.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 16;
constexpr auto kStall = 10s;  // longer than any wait below

std::string PhotoPath(int i) { return "/p/" + std::to_string(i) + ".png"; }

// Polls until `condition` holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Photos 0 .. kPhotos-1, each its own picture, and their BMP files.
std::vector<base::Bytes> ServePhotos(CraftedSite& site, int slow, std::function<void()> slowSeen) {
  for (int i = 0; i < kPhotos; ++i) {
    site.Photo(PhotoPath(i), i + 1, i == slow ? slowSeen : std::function<void()>());
  }
  // A program run before this one may have unbound the services.
  BindRuntime(&korvex::ServiceTable());
  std::vector<base::Bytes> bmp(kPhotos);
  for (int i = 0; i < kPhotos; ++i) {
    if (i == slow) continue;
    ConvertImageFormat(korvex::HttpRead(SiteBase() + PhotoPath(i)), kFormatBmp, bmp[i]);
  }
  site.ResetCounts();
  return bmp;
}

TEST(PageLoad, ASupersededLoadWritesNoBoxAndStopsItsTransfers) {
  CraftedSite site;
  std::atomic<bool> slowAnswered{false};
  // Box 1 of the page 5 .. 10 is slow: it answers only when released.
  const std::vector<base::Bytes> bmp = ServePhotos(site, 5, [&] {
    site.server().Stall(kStall);
    slowAnswered = true;
  });
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  bool newerShownWhileSlowPending = false;
  bool olderEndedBeforeRelease = false;
  ASSERT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10
    ASSERT_TRUE(WaitUntil([&] { return site.Requests(PhotoPath(5)) == 1; }));
    ShowNextPage(0, 0, 0);  // page 10 .. 15 supersedes it
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(1) == bmp[10]; }));
    newerShownWhileSlowPending = !slowAnswered;
    // The older load's slow read was stopped: its loader ends although the
    // server has not answered.
    olderEndedBeforeRelease = WaitUntil([&] { return program.runtime->Workers().Running() == 0; });
    site.server().Release();
    ASSERT_TRUE(WaitUntil([&] { return slowAnswered.load(); }));
    ASSERT_TRUE(WaitUntil([&] { return program.runtime->Workers().Running() == 0; }));
  }),
            0);
  EXPECT_TRUE(newerShownWhileSlowPending);  // the race was reached
  EXPECT_TRUE(olderEndedBeforeRelease);
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[9 + box]) << box;
  EXPECT_EQ(site.Requests(PhotoPath(5)), 1);
}

TEST(PageLoad, ABadgeHostThatStallsHoldsUpNeitherTheNoticeNorPaging) {
  CraftedSite site;
  std::atomic<bool> badgeAsked{false};
  std::atomic<bool> badgeAnswered{false};
  site.Page("/pa", "GIF89a", "image/gif", [&] {
    badgeAsked = true;
    site.server().Stall(kStall);
    badgeAnswered = true;
  });
  const std::vector<base::Bytes> bmp = ServePhotos(site, -1, {});
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  bool noticeBeforeBadge = false;
  bool pageBeforeBadge = false;
  auto badge = [&] {
    auto v = program.runtime->Model()->ReadProperty(unit_id::kQqSupport1, korvex::kPropPicture);
    auto* b = std::get_if<base::Bytes>(&v);
    return b != nullptr ? *b : base::Bytes();
  };
  ASSERT_EQ(program.Run([&] {
    OnWindowCreated(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return badgeAsked.load(); }));
    noticeBeforeBadge = program.front->MessageBoxes().size() == 1 && !badgeAnswered;
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(6) == bmp[10]; }));
    pageBeforeBadge = !badgeAnswered && badge().empty();
    site.server().Release();
    // The badge shows once it arrives.
    EXPECT_TRUE(WaitUntil([&] { return !badge().empty(); }));
  }),
            0);
  EXPECT_TRUE(noticeBeforeBadge);
  EXPECT_TRUE(pageBeforeBadge);
  ASSERT_EQ(program.front->MessageBoxes().size(), 1u);
  EXPECT_EQ(program.front->MessageBoxes()[0].text, texts::kUsageNotice);
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[4 + box]) << box;
}

}  // namespace
}  // namespace pixaroo
