// The real program against the demo gallery: one click on 更新 builds the
// photo index, shows the first page and the total; closing writes the index
// file. A click against a site that cannot be reached says so and leaves
// the button usable.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/site_base.h"
#include "base/files.h"
#include "demo/gallery.h"
#include "program/imaging/convert_image_format.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/core/runtime.h"
#include "runtime/inet/http_read.h"
#include "runtime/core/unit_model.h"
#include "tests/program/exports/program_harness.h"
#include "program/pages/main_window_form.h"
#include "program/pages/viewer_photos.h"
#include "program/update/update.h"

namespace pixaroo::testing {
namespace {

using namespace std::chrono_literals;

// A loopback port that refuses connections for as long as the socket lives:
// bound, never listening.
class RefusingPort {
 public:
  RefusingPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
      url_ = "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    }
  }
  ~RefusingPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  const std::string& Url() const { return url_; }

 private:
  int fd_;
  std::string url_;
};

TEST(UpdateProgram, AClickThatReachesNothingSaysSoAndTheNextBuildsTheIndexAndTotalOnce) {
  const std::string indexFile = IndexFilePath();
  const std::string before = "left by an earlier run\r\n";
  ASSERT_TRUE(base::WriteFileAtomic(indexFile, base::Bytes(before.begin(), before.end())).ok());

  ProgramHarness h;
  const std::vector<std::string> expected = h.Site().gallery().DistinctSources();
  const std::vector<std::string> collected = h.Site().gallery().CollectedSources();
  ASSERT_LT(expected.size(), collected.size());
  // The first page of the growing index holds repeats, so the page shown
  // while it grew is not the distinct index's first page.
  ASSERT_GE(expected.size(), 6u);
  ASSERT_FALSE(std::equal(expected.begin(), expected.begin() + 6, collected.begin()));
  // Items 0 .. 5 of the distinct index as BMP files: six different photos.
  // (A program run before this one may have unbound the services.)
  BindRuntime(&korvex::ServiceTable());
  std::vector<base::Bytes> firstPage(6);
  for (std::size_t i = 0; i < 6; ++i) {
    ConvertImageFormat(korvex::HttpRead(h.Site().BaseAddress() + expected[i]), kFormatBmp,
                       firstPage[i]);
    ASSERT_FALSE(firstPage[i].empty()) << i;
    for (std::size_t j = 0; j < i; ++j) ASSERT_NE(firstPage[i], firstPage[j]) << i << " " << j;
  }
  const std::string firstList = demo::Gallery::ListPagePath(1);
  const RefusingPort refusing;
  ASSERT_FALSE(refusing.Url().empty());

  std::vector<std::string> items;
  std::string status;
  base::Bytes fileBeforeClose;
  std::string unreachableStatus;
  bool enabledAfterUnreachable = false;
  bool disabledAtOnce = false;
  std::size_t listRequests = 0;
  auto progress = [](ProgramHarness& p) {
    return p.Runtime().Model()->StatusProgress(unit_id::kStatusBar1);
  };
  // After the second click, against the demo gallery.
  auto second = [&](ProgramHarness& q) {
    disabledAtOnce = q.UpdateButtonDisabled();
    EXPECT_TRUE(q.WaitForWorkers(90s));
    EXPECT_EQ(progress(q).maximum, 0);  // hidden once the total shows
    items = q.IndexItems();
    status = q.StatusText();
    // The page shown is the one the final index names at its places.
    for (int box = 1; box <= 6; ++box) EXPECT_EQ(q.Picture(box), firstPage[box - 1]) << box;
    fileBeforeClose = base::ReadWholeFile(indexFile);
    listRequests = q.Site().RequestCount(firstList);
    // A double-click's viewer over the index: a photo of the shown page
    // comes from its box without a request; one beyond it from the site.
    const korvex::ViewerSource& viewer = q.Front().Viewer();
    ASSERT_TRUE(viewer.positionOf && viewer.count);
    EXPECT_EQ(viewer.positionOf(unit_id::kPictureBox2), 1);
    EXPECT_EQ(viewer.positionOf(unit_id::kQqSupport1), -1);
    EXPECT_EQ(viewer.count(), static_cast<int>(items.size()));
    ASSERT_GT(items.size(), 8u);
    const std::size_t shownAsked = q.Site().RequestCount(items[1]);
    const std::size_t beyondAsked = q.Site().RequestCount(items[7]);
    base::Bytes shown, beyond, pastTheEnd;
    std::thread worker([&] {  // as the runtime asks: off the window thread
      shown = ViewerPhotoAt(1);
      beyond = ViewerPhotoAt(7);
      pastTheEnd = ViewerPhotoAt(static_cast<int>(items.size()));
    });
    worker.join();
    EXPECT_EQ(shown, q.Picture(2));
    EXPECT_EQ(q.Site().RequestCount(items[1]), shownAsked);
    EXPECT_TRUE(beyond.size() > 2 && beyond[0] == 'B' && beyond[1] == 'M');
    EXPECT_NE(beyond, shown);
    EXPECT_EQ(q.Site().RequestCount(items[7]), beyondAsked + 1);
    EXPECT_TRUE(pastTheEnd.empty());
    q.Click(unit_id::kButton1);  // the button is disabled: nothing more
    q.Then([](ProgramHarness& r) {
      EXPECT_TRUE(r.WaitForWorkers(30s));
      r.Close();
    });
  };
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    EXPECT_EQ(progress(p).maximum, 0);  // no bar before the first click
    // First against a site that refuses every connection: the run says the
    // site could not be reached and gives the button back.
    OverrideSiteBase(refusing.Url());
    p.Click(unit_id::kButton1);
    p.Then([&](ProgramHarness& o) {
      EXPECT_TRUE(o.WaitForWorkers(60s));
      unreachableStatus = o.StatusText();
      enabledAfterUnreachable = !o.UpdateButtonDisabled();
      EXPECT_EQ(progress(o).maximum, 0);
      EXPECT_TRUE(o.IndexItems().empty());
      OverrideSiteBase(o.Site().BaseAddress());
      o.Click(unit_id::kButton1);  // a second click runs again
      o.Then(second);
    });
  }),
            0);

  EXPECT_EQ(unreachableStatus, std::string(texts::kStatusUnreachablePrefix) + refusing.Url() +
                                   std::string(texts::kStatusUnreachableSuffix));
  EXPECT_TRUE(enabledAfterUnreachable);
  EXPECT_TRUE(disabledAtOnce);
  EXPECT_EQ(items, expected);
  EXPECT_EQ(status, std::string(texts::kStatusDonePrefix) + std::to_string(expected.size()) +
                        std::string(texts::kStatusCountSuffix));
  EXPECT_EQ(std::string(fileBeforeClose.begin(), fileBeforeClose.end()), before);
  EXPECT_EQ(listRequests, 1u);
  EXPECT_EQ(h.Site().RequestCount(firstList), 1u);
  EXPECT_EQ(h.IndexItems(), expected);

  std::string content;
  for (const std::string& item : expected) content += item + "\r\n";
  const base::Bytes written = base::ReadWholeFile(indexFile);
  EXPECT_EQ(std::string(written.begin(), written.end()), content);
  std::remove(indexFile.c_str());
}

// Closes the window from the thread that fills the index, at the first
// change after which `when` holds for the index, and holds that thread until
// the close has written the index file: the file then shows the index of
// exactly that moment. Returns the number of items the index held then
// (0 if the moment never came).
std::size_t CloseWhenTheIndex(ProgramHarness& h,
                              std::function<bool(const korvex::UnitModel::ListTail&)> when) {
  const std::string indexFile = IndexFilePath();
  std::remove(indexFile.c_str());
  std::atomic<std::size_t> heldAt{0};
  std::atomic<bool> fileWritten{false};
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    korvex::UnitModel* model = p.Runtime().Model();
    model->SetObserver([&, model](const korvex::UnitChange& change) {
      if (change.what != korvex::UnitChange::What::ListItems || change.unit != unit_id::kListBox1 ||
          heldAt != 0) {
        return;
      }
      const korvex::UnitModel::ListTail index = model->ListItemsFrom(unit_id::kListBox1, 0);
      if (!when(index)) return;
      heldAt = index.items.size();
      h.Close();
      // The close cancels transfers once the window's closing routine has
      // returned: by then the file is written, or never will be.
      h.WaitUntil(
          [&] { return std::filesystem::exists(indexFile) || transfer::TransfersCancelled(); },
          60s);
      fileWritten = std::filesystem::exists(indexFile);
    });
    p.Click(unit_id::kButton1);
  }),
            0);
  EXPECT_TRUE(fileWritten) << "the index file was not written while the index was held";
  return heldAt;
}

std::vector<std::string> IndexFileLines() {
  const base::Bytes written = base::ReadWholeFile(IndexFilePath());
  std::string text(written.begin(), written.end());
  EXPECT_TRUE(text.ends_with("\r\n"));
  if (text.ends_with("\r\n")) text.resize(text.size() - 2);
  return text.empty() ? std::vector<std::string>() : base::Split(text, "\r\n");
}

bool IsPrefixOf(const std::vector<std::string>& part, const std::vector<std::string>& all) {
  return part.size() <= all.size() && std::equal(part.begin(), part.end(), all.begin());
}

TEST(UpdateProgram, ClosingDuringTheRunEndsTheProgramCleanlyWithWhatTheIndexHeld) {
  constexpr std::size_t kHeld = 5;
  {
    // While the run collects: the photos found so far, in page order.
    ProgramHarness h;
    const std::vector<std::string> collected = h.Site().gallery().CollectedSources();
    ASSERT_GT(collected.size(), kHeld);
    const std::size_t held = CloseWhenTheIndex(h, [&](const korvex::UnitModel::ListTail& index) {
      return index.clears == 0 && index.items.size() >= kHeld;
    });
    ASSERT_GE(held, kHeld);
    ASSERT_TRUE(std::filesystem::exists(IndexFilePath()));
    const std::vector<std::string> lines = IndexFileLines();
    EXPECT_GE(lines.size(), held);
    EXPECT_TRUE(IsPrefixOf(lines, collected)) << lines.size() << " lines";
  }
  {
    // Right after the completion replaced the list: the whole distinct
    // index, never a list part-way refilled.
    ProgramHarness h;
    const std::vector<std::string> distinct = h.Site().gallery().DistinctSources();
    ASSERT_GT(distinct.size(), kHeld);
    const std::size_t held = CloseWhenTheIndex(
        h, [&](const korvex::UnitModel::ListTail& index) { return index.clears == 1; });
    EXPECT_EQ(held, distinct.size());
    ASSERT_TRUE(std::filesystem::exists(IndexFilePath()));
    EXPECT_EQ(IndexFileLines(), distinct);
  }
  std::remove(IndexFilePath().c_str());
}

}  // namespace
}  // namespace pixaroo::testing
