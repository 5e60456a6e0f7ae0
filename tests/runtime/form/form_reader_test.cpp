// Reader and writer: round trips, and damaged descriptions rejected cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "program/pages/main_window_form.h"

namespace {

using namespace korvex::form;

using namespace base;  // NOLINT(google-build-using-namespace)
using base::Bytes;

void PutWord(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A form that uses every field: odd texts, negative numbers, nested menus,
// a type the reader does not know, settings of any bytes.
Form Unusual() {
  Form f;
  f.word00 = 0xDEADBEEF;
  f.windowId = 7;
  Unit window;
  window.id = 1;
  window.typeId = kTypeWindow;
  window.secondText = "second";
  window.thirdText = "\xB8\xFC";  // 更
  window.left = -5;
  window.height = -1;
  window.flags = 0xFFFFFFFF;
  window.disabled = 1;
  window.events = {{-4, 0x40}, {0x7FFFFFFF, 0xFFFFFFFF}, {-1, 0}};
  window.settings = {0, 1, 2, 0xFF};
  Unit group;
  group.id = 2;
  group.typeId = 0x00FF1234;
  group.name = "g";
  group.children = {3};
  Unit child;
  child.id = 3;
  child.typeId = kTypeButton;
  child.parent = 2;
  f.units = {window, group, child};
  for (std::uint32_t level : {0u, 1u, 2u, 1u, 0u}) {
    Unit m;
    m.id = 0x100 + static_cast<std::uint32_t>(f.units.size());
    m.typeId = kTypeMenuEntry;
    m.level = level;
    m.menuFlags = level;
    m.caption = "entry " + std::to_string(level);
    m.routineOffset = level == 2 ? kNoRoutine : 0x40 * static_cast<std::int32_t>(level);
    f.units.push_back(m);
  }
  return f;
}

TEST(FormRoundTrip, FormsSurviveWritingAndReading) {
  for (const Form& original : {pixaroo::MainWindowForm(), Unusual(), Form{}}) {
    const Bytes bytes = WriteForm(original);
    const FormResult r = ReadForm(bytes);
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(*r, original);
    EXPECT_EQ(WriteForm(*r), bytes);
  }
  EXPECT_EQ(WriteForm(Form{}).size(), 0x24u);
}

TEST(FormRoundTrip, TextsEndAtTheirFirstNul) {
  Form f = Unusual();
  f.units[1].name = std::string("ab\0cd", 5);
  f.units[3].caption = std::string("x\0y", 3);
  const FormResult r = ReadForm(WriteForm(f));
  ASSERT_TRUE(r.ok()) << r.error().text;
  EXPECT_EQ(r->units[1].name, "ab");
  EXPECT_EQ(r->units[3].caption, "x");
  EXPECT_EQ(r->units[2], f.units[2]);
}

TEST(FormDamage, EveryTruncationIsRejected) {
  const Bytes good = WriteForm(pixaroo::MainWindowForm());
  for (std::size_t n = 0; n < good.size(); ++n) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(ReadForm(cut).ok()) << n;
    // Even with the following-bytes count made to agree, the tables and
    // records must notice the missing bytes.
    if (n >= 0x24) {
      PutWord(cut, 0x20, static_cast<std::uint32_t>(n - 0x24));
      const FormResult r = ReadForm(cut);
      EXPECT_FALSE(r.ok()) << n;
      EXPECT_FALSE(r.error().text.empty()) << n;
    }
  }
}

TEST(FormDamage, CorruptedCountsAndOffsetsAreRejected) {
  const Bytes good = WriteForm(pixaroo::MainWindowForm());
  struct Patch {
    std::size_t at;
    std::uint32_t value;
    const char* error;  // part of the expected error text
  };
  const Patch patches[] = {
      {0x1C, 20, "id 0"},       // one too many: the first offset (0) read as an id
      {0x1C, 18, "disagrees"},  // one too few
      {0x1C, 0xFFFFFFFF, "absurd"},
      {0x1C, 0, "stray bytes"},
      {0x20, 0xC29 - 0x24 + 1, "following bytes"},
      {0x14, 1, "reserved"},
      {0x24, 0x16017215, "twice"},  // window id replaced by a duplicate
      {0x24, 0, "id 0"},
      {0x24 + 4 * 19 + 4, 0xF0, "disagrees"},  // second record offset
      {0xBC, 0xFFFFFFF0, "needs"},             // first record length
      {0xBC, 10, "needs"},                     // first record cut short
      {0xF6, 1000, "child count"},             // window's child count
      {0xFA, 5, "block length"},
      {0x10F, 0x7FFFFFFF, "event count"},  // window's event count
  };
  for (const Patch& p : patches) {
    Bytes bad = good;
    PutWord(bad, p.at, p.value);
    const FormResult r = ReadForm(bad);
    ASSERT_FALSE(r.ok()) << std::hex << p.at;
    EXPECT_NE(r.error().text.find(p.error), std::string::npos) << r.error().text;
  }
  Bytes longer = good;
  longer.push_back(0);
  PutWord(longer, 0x20, static_cast<std::uint32_t>(longer.size() - 0x24));
  EXPECT_NE(ReadForm(longer).error().text.find("stray bytes"), std::string::npos);
  EXPECT_NE(ReadForm(Bytes((1 << 20) + 1, 0)).error().text.find("limit"), std::string::npos);
}

TEST(FormDamage, UnitsThatDisagreeWithEachOtherAreRejected) {
  struct Case {
    const char* what;
    void (*damage)(Form&);
  };
  const Case cases[] = {
      {"unknown child", [](Form& f) { f.units[18].children.push_back(0x12345678); }},
      {"child listed twice", [](Form& f) { f.units[17].children.push_back(0x16010010); }},
      {"parent that does not list it", [](Form& f) { f.units[7].parent = 0x1601000F; }},
      {"parent not listed at all", [](Form& f) { f.units[1].parent = 0x16010008; }},
      {"unknown parent", [](Form& f) { f.units[1].parent = 0x12345678; }},
      {"menu entry as parent", [](Form& f) { f.units[1].parent = 0x26011AB6; }},
      {"own parent",
       [](Form& f) {
         f.units[6].parent = f.units[6].id;
         f.units[6].children.push_back(f.units[6].id);
       }},
      {"cycle",
       [](Form& f) {
         f.units[17].parent = 0x16010008;  // 分组框2 under 分组框1 ...
         f.units[18].children.push_back(0x1601000F);
         f.units[18].parent = 0x1601000F;  // ... and 分组框1 under 分组框2
         f.units[17].children.push_back(0x16010008);
       }},
      {"menu item without its menu", [](Form& f) { f.units[3].level = 1; }},
      {"menu item two levels down", [](Form& f) { f.units[4].level = 2; }},
  };
  for (const Case& c : cases) {
    Form f = pixaroo::MainWindowForm();
    c.damage(f);
    const FormResult r = ReadForm(WriteForm(f));
    EXPECT_FALSE(r.ok()) << c.what;
    EXPECT_FALSE(r.error().text.empty()) << c.what;
  }
}

// Any single damaged byte is either rejected or read as a form that writes
// back to exactly the damaged bytes: nothing is silently dropped or changed.
TEST(FormDamage, DamagedBytesAreRejectedOrReadFaithfully) {
  const Bytes good = WriteForm(pixaroo::MainWindowForm());
  int accepted = 0;
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes bad = good;
      bad[i] ^= flip;
      const FormResult r = ReadForm(bad);
      if (r.ok()) {
        ++accepted;
        EXPECT_EQ(WriteForm(*r), bad) << i;
      } else {
        EXPECT_FALSE(r.error().text.empty());
      }
    }
  }
  EXPECT_GT(accepted, 0);  // changed positions, names, settings are legal
}

}  // namespace
