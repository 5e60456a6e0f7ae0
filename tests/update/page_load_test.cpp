// Page loads against a crafted site: a superseded load writes no box and
// stops its transfers; a badge host that does not answer holds up neither
// the usage notice nor paging.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "imaging/convert_image_format.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/inet/http_read.h"
#include "tests/update/crafted_site.h"
#include "ui/paging.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPhotos = 16;

std::string PhotoPath(int i) { return "/p/" + std::to_string(i) + ".png"; }

// Polls until `condition` holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 60s) {
  const auto end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Photos 0 .. kPhotos-1, each its own picture, and their BMP files.
std::vector<base::Bytes> ServePhotos(CraftedSite& site) {
  for (int i = 0; i < kPhotos; ++i) site.Photo(PhotoPath(i), i + 1);
  // A program run before this one may have unbound the services.
  BindRuntime(&korvex::ServiceTable());
  std::vector<base::Bytes> bmp(kPhotos);
  for (int i = 0; i < kPhotos; ++i) {
    ConvertImageFormat(korvex::HttpRead(SiteBase() + PhotoPath(i)), kFormatBmp, bmp[i]);
  }
  site.ResetCounts();
  return bmp;
}

TEST(PageLoad, ASupersededLoadWritesNoBoxAndStopsItsTransfers) {
  CraftedSite site;
  const std::vector<base::Bytes> bmp = ServePhotos(site);
  // Box 1 of the page 5 .. 10 is answered only once the test opens it, and
  // only stopping the read can end it before.
  site.Gate().Hold(PhotoPath(5));
  transfer::SetTransferLimitsForTesting({.noProgressTimeout = 1h});
  Program program;
  program.program.Hook(Routine::PageLoaderThread, [] { PageLoaderThread(0, 0, 0); });
  EXPECT_EQ(program.Run([&] {
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);  // page 5 .. 10
    ASSERT_TRUE(site.Gate().WaitUntilWaiting(PhotoPath(5)));
    ShowNextPage(0, 0, 0);  // page 10 .. 15 supersedes it
    EXPECT_TRUE(WaitUntil([&] { return program.Picture(1) == bmp[10]; }));
    // The older load's held read was stopped: its loader ends although the
    // site has not answered.
    EXPECT_TRUE(WaitUntil([&] { return program.runtime->Workers().Running() == 0; }));
    EXPECT_EQ(site.Gate().Waiting(PhotoPath(5)), 1u);  // still held: the race was reached
    site.Gate().Open(PhotoPath(5));
  }),
            0);
  transfer::ResetTransferLimits();
  for (int box = 1; box <= 6; ++box) EXPECT_EQ(program.Picture(box), bmp[9 + box]) << box;
  EXPECT_EQ(site.Requests(PhotoPath(5)), 1);
}

TEST(PageLoad, ABadgeHostThatStallsHoldsUpNeitherTheNoticeNorPaging) {
  CraftedSite site;
  site.Page("/pa", "GIF89a", "image/gif");
  const std::vector<base::Bytes> bmp = ServePhotos(site);
  site.Gate().Hold("/pa");  // the badge is answered only once the test opens it
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
    ASSERT_TRUE(site.Gate().WaitUntilWaiting("/pa"));
    noticeBeforeBadge = program.front->MessageBoxes().size() == 1;
    for (int i = 0; i < kPhotos; ++i) rt::ListAdd(units::kIndexList, PhotoPath(i));
    ShowNextPage(0, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.Picture(6) == bmp[10]; }));
    pageBeforeBadge = site.Gate().Waiting("/pa") == 1 && badge().empty();
    site.Gate().Open("/pa");
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
