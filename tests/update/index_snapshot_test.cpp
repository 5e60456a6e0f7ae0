// The index while it changes: the completion replaces it in one step, and
// the index file is written from one snapshot of it, so confi.ini holds the
// whole old index or the whole new one, never an empty or mixed one.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/runtime_link.h"
#include "app/units.h"
#include "base/files.h"
#include "tests/update/crafted_site.h"
#include "update/update.h"

namespace pixaroo {
namespace {

std::string FileText() {
  const base::Bytes b = base::ReadWholeFile(IndexFilePath());
  return std::string(b.begin(), b.end());
}

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += item + "\r\n";
  return text;
}

TEST(IndexSnapshot, ClosingWhileTheCompletionReplacesTheIndexWritesTheWholeNewIndex) {
  std::vector<std::string> old;
  std::vector<std::string> distinct;
  for (int i = 0; i < 40; ++i) old.push_back("/p/" + std::to_string(i % 10) + ".jpg");
  for (int i = 0; i < 10; ++i) distinct.push_back("/p/" + std::to_string(i) + ".jpg");

  Program program;
  std::vector<std::string> written;  // the file after each change of the index
  ASSERT_EQ(program.Run([&] {
    for (const auto& item : old) rt::ListAdd(units::kIndexList, item);
    korvex::UnitModel* model = program.runtime->Model();
    // The window closes (and writes the file) right after every change the
    // completion makes to the index.
    model->SetObserver([&](const korvex::UnitChange& change) {
      if (change.what != korvex::UnitChange::What::ListItems) return;
      SaveIndexFile(0, 0, 0);
      written.push_back(FileText());
    });
    UpdateCompletion();
    model->SetObserver(nullptr);
  }),
            0);
  ASSERT_FALSE(written.empty());  // the completion changed the index
  for (const auto& text : written) EXPECT_EQ(text, Lines(distinct));
  std::remove(IndexFilePath().c_str());
}

TEST(IndexSnapshot, TheIndexFileIsTheWholeOfOneIndexWhileTheIndexIsReplaced) {
  std::vector<std::string> longIndex;
  for (int i = 0; i < 30; ++i) longIndex.push_back("/long/" + std::to_string(i) + ".jpg");
  const std::vector<std::string> shortIndex = {"/s/a.jpg", "/s/b.jpg", "/s/c.jpg"};
  Program program;
  int seenLong = 0;
  int seenShort = 0;
  int other = 0;
  ASSERT_EQ(program.Run([&] {
    rt::ListReplace(units::kIndexList, shortIndex);
    std::atomic<bool> stop{false};
    std::thread replacer([&] {
      for (bool useLong = true; !stop; useLong = !useLong) {
        rt::ListReplace(units::kIndexList, useLong ? longIndex : shortIndex);
      }
    });
    for (int i = 0; i < 300; ++i) {
      SaveIndexFile(0, 0, 0);
      const std::string text = FileText();
      if (text == Lines(longIndex)) {
        ++seenLong;
      } else if (text == Lines(shortIndex)) {
        ++seenShort;
      } else {
        ++other;
      }
    }
    stop = true;
    replacer.join();
  }),
            0);
  EXPECT_EQ(other, 0);
  // The saves ran while the index kept changing under them.
  EXPECT_GT(seenLong, 0);
  EXPECT_GT(seenShort, 0);
  std::remove(IndexFilePath().c_str());
}

}  // namespace
}  // namespace pixaroo
