// The index while it changes: the completion replaces it in one step, and
// the index file is written from one snapshot of it, so confi.ini holds the
// whole old index or the whole new one, never an empty or mixed one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "base/files.h"
#include "tests/support/crafted_site.h"
#include "program/update/update.h"

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

// Two indexes; after every read of the list by the program, the index is
// replaced by the other, as if the completion replaced it between any two
// reads of whoever reads it (window thread only).
std::vector<std::string> g_indexes[2];
int g_next = 0;
int g_replaced = 0;

void ReplaceAfterRead() {
  korvex::ServiceTable().listReplace(units::kIndexList, std::vector(g_indexes[g_next]));
  g_next = 1 - g_next;
  ++g_replaced;
}

korvex::Services ReplacingAfterEveryRead() {
  korvex::Services s = korvex::ServiceTable();
  s.listCount = [](korvex::UnitRef u) {
    const int n = korvex::ServiceTable().listCount(u);
    ReplaceAfterRead();
    return n;
  };
  s.listItem = [](korvex::UnitRef u, int i) {
    std::string item = korvex::ServiceTable().listItem(u, i);
    ReplaceAfterRead();
    return item;
  };
  s.listItems = [](korvex::UnitRef u) {
    std::vector<std::string> items = korvex::ServiceTable().listItems(u);
    ReplaceAfterRead();
    return items;
  };
  return s;
}

TEST(IndexSnapshot, TheIndexFileIsTheWholeOfOneIndexWhileTheIndexIsReplaced) {
  for (int i = 0; i < 30; ++i) g_indexes[0].push_back("/long/" + std::to_string(i) + ".jpg");
  g_indexes[1] = {"/s/a.jpg", "/s/b.jpg", "/s/c.jpg"};
  const korvex::Services replacing = ReplacingAfterEveryRead();
  Program program;
  ASSERT_EQ(program.Run([&] {
    for (int first : {0, 1}) {
      rt::ListReplace(units::kIndexList, std::vector(g_indexes[first]));
      g_next = 1 - first;
      g_replaced = 0;
      BindRuntime(&replacing);
      SaveIndexFile(0, 0, 0);
      BindRuntime(&korvex::ServiceTable());
      EXPECT_GT(g_replaced, 0);  // the index changed under the save
      EXPECT_EQ(FileText(), Lines(g_indexes[first])) << first;
    }
  }),
            0);
  g_indexes[0].clear();
  std::remove(IndexFilePath().c_str());
}

}  // namespace
}  // namespace pixaroo
