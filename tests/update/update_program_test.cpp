// The real program against the demo gallery: one click on 更新 builds the
// photo index, shows the first page and the total; closing writes the index
// file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "base/files.h"
#include "demo/gallery.h"
#include "tests/program/program_harness.h"
#include "ui/main_window_form.h"
#include "update/update.h"

namespace pixaroo::testing {
namespace {

using namespace std::chrono_literals;

TEST(UpdateProgram, OneClickBuildsTheDistinctIndexShowsAPageAndTheTotalOnce) {
  const std::string indexFile = IndexFilePath();
  std::remove(indexFile.c_str());

  ProgramHarness h;
  const std::vector<std::string> expected = h.Site().gallery().DistinctSources();
  ASSERT_LT(expected.size(), h.Site().gallery().CollectedSources().size());
  const std::string firstList = demo::Gallery::ListPagePath(1);

  std::vector<std::string> items;
  std::string status;
  bool disabledAtOnce = false;
  std::size_t listRequests = 0;
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    p.Click(unit_id::kButton1);
    p.Then([&](ProgramHarness& q) {
      disabledAtOnce = q.UpdateButtonDisabled();
      EXPECT_TRUE(q.WaitForWorkers(90s));
      items = q.IndexItems();
      status = q.StatusText();
      for (int box = 1; box <= 6; ++box) {
        const base::Bytes picture = q.Picture(box);
        EXPECT_TRUE(picture.size() > 2 && picture[0] == 'B' && picture[1] == 'M') << box;
      }
      listRequests = q.Site().RequestCount(firstList);
      q.Click(unit_id::kButton1);  // the button is disabled: nothing more
      q.Then([](ProgramHarness& r) {
        EXPECT_TRUE(r.WaitForWorkers(30s));
        r.Close();
      });
    });
  }),
            0);

  EXPECT_TRUE(disabledAtOnce);
  EXPECT_EQ(items, expected);
  EXPECT_EQ(status, std::string(texts::kStatusDonePrefix) + std::to_string(expected.size()) +
                        std::string(texts::kStatusCountSuffix));
  EXPECT_EQ(listRequests, 1u);
  EXPECT_EQ(h.Site().RequestCount(firstList), 1u);
  EXPECT_EQ(h.IndexItems(), expected);

  std::string content;
  for (const std::string& item : expected) content += item + "\r\n";
  const base::Bytes written = base::ReadWholeFile(indexFile);
  EXPECT_EQ(std::string(written.begin(), written.end()), content);
  std::remove(indexFile.c_str());
}

TEST(UpdateProgram, ClosingDuringTheRunEndsTheProgramCleanlyWithWhatTheIndexHeld) {
  const std::string indexFile = IndexFilePath();
  std::remove(indexFile.c_str());
  ProgramHarness h;
  EXPECT_EQ(h.Run([](ProgramHarness& p) {
    p.Click(unit_id::kButton1);
    p.Then([](ProgramHarness& q) { q.Close(); });
  }),
            0);
  // The file holds the index of the moment of closing: the photos collected
  // so far, in order (or, had the completion begun, distinct ones).
  const base::Bytes written = base::ReadWholeFile(indexFile);
  const std::vector<std::string> lines =
      base::Split(std::string(written.begin(), written.end()), "\r\n");
  auto isPrefixOf = [&](const std::vector<std::string>& all) {
    return lines.size() <= all.size() && std::equal(lines.begin(), lines.end(), all.begin());
  };
  EXPECT_TRUE(isPrefixOf(h.Site().gallery().CollectedSources()) ||
              isPrefixOf(h.Site().gallery().DistinctSources()));
  std::remove(indexFile.c_str());
}

}  // namespace
}  // namespace pixaroo::testing
