// The window's routines as a user meets them: the badge and notice at start,
// paging through an index (a photo that fails leaves its box empty), the
// paging keys, the support chat's command line, and units named as the
// image names them. Saving a picture has tests of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/program_memory.h"
#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "base/charset.h"
#include "base/files.h"
#include "demo/gallery.h"
#include "program/imaging/convert_image_format.h"
#include "platform/shell/run_program.h"
#include "platform/transfer/transfer.h"
#include "runtime/core/runtime.h"
#include "runtime/inet/http_read.h"
#include "tests/program/exports/program_harness.h"
#include "tests/support/program_services.h"
#include "program/pages/main_window_form.h"

namespace pixaroo::testing {
namespace {

using base::Bytes;

constexpr std::size_t kIndexSize = 11;
constexpr std::size_t kMissingAt = 7;  // an index item the site does not have

Bytes UnitPicture(ProgramHarness& p, std::uint32_t unit) {
  const auto v = p.Runtime().Model()->ReadProperty(unit, korvex::kPropPicture);
  const auto* bytes = std::get_if<Bytes>(&v);
  return bytes != nullptr ? *bytes : Bytes();
}

TEST(WindowRoutines, StartShowsBadgeAndNoticeThenPagesStepByFive) {
  ProgramHarness h;
  std::vector<std::string> index;
  std::vector<Bytes> expected;  // each item's photo as BMP, empty when it fails
  for (std::size_t i = 0; i < kIndexSize; ++i) {
    index.push_back(i == kMissingAt ? "/uploads/allimg/000000/none.jpg"
                                    : h.Site().gallery().photos()[i].path);
    Bytes bmp;
    ConvertImageFormat(korvex::HttpRead(h.Site().BaseAddress() + index[i]), kFormatBmp, bmp);
    expected.push_back(bmp);
  }
  // The expected photos are real, distinct BMP files: a box showing nothing,
  // or its neighbour's photo, cannot match.
  ASSERT_TRUE(expected[kMissingAt].empty());
  for (std::size_t i = 0; i < kIndexSize; ++i) {
    if (i == kMissingAt) continue;
    ASSERT_GT(expected[i].size(), 54u) << i;
    EXPECT_TRUE(expected[i][0] == 'B' && expected[i][1] == 'M') << i;
    for (std::size_t j = 0; j < i; ++j) ASSERT_NE(expected[i], expected[j]) << i << " " << j;
  }
  auto expectPage = [&](ProgramHarness& p, std::size_t first) {
    ASSERT_TRUE(p.WaitForWorkers());
    for (std::size_t k = 0; k < 6; ++k) {
      const std::size_t i = first + k;
      const Bytes want = i < kIndexSize ? expected[i] : Bytes();
      EXPECT_EQ(p.Picture(static_cast<int>(k) + 1), want) << "page " << first << " box " << k + 1;
    }
  };

  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    const auto shown = p.Front().MessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, texts::kUsageNotice);
    EXPECT_EQ(shown[0].flags, 0);
    EXPECT_EQ(shown[0].title, texts::kNoticeTitle);
    // The demo serves the badge only for the support account's address; it
    // is fetched off the window thread and shows when it arrives.
    EXPECT_TRUE(p.WaitUntil([&] { return !UnitPicture(p, unit_id::kQqSupport1).empty(); }));
    const Bytes badge = UnitPicture(p, unit_id::kQqSupport1);
    EXPECT_EQ(std::string(badge.begin(), badge.begin() + std::min<std::size_t>(badge.size(), 4)),
              "\x89PNG");
    for (int box = 1; box <= 6; ++box) EXPECT_TRUE(p.Picture(box).empty());
    EXPECT_EQ(p.Site().RequestCount(index[0]), 1u);  // the test's own read only

    for (const auto& item : index) rt::ListAdd(units::kIndexList, item);
    p.Click(unit_id::kButton3);  // 下一页: items 5 .. 10, the missing one empty
    p.Then([&](ProgramHarness& p) {
      expectPage(p, 5);
      // Five loaders at once, the window thread reading the boxes while they
      // write; the indices end on the first page. That last load's first
      // photo was never read before (the next page alone is read ahead
      // after paging on) and its request is held, so the load is surely at
      // work while the boxes are read; once it is let go, its photos land
      // during the reads.
      p.Site().Gate().Hold(index[0]);
      for (auto button : {unit_id::kButton3, unit_id::kButton3, unit_id::kButton2,
                          unit_id::kButton2, unit_id::kButton2}) {
        p.Click(button);
      }
      p.Then([&](ProgramHarness& p) {
        EXPECT_TRUE(p.Site().Gate().WaitUntilWaiting(index[0]));
        for (int box = 1; box <= 6; ++box) p.Picture(box);
        EXPECT_GT(p.Runtime().Workers().Running(), 0);
        p.Site().Gate().Open(index[0]);
        EXPECT_TRUE(p.WaitUntil([&] {
          for (int box = 1; box <= 6; ++box) p.Picture(box);
          return p.Runtime().Workers().Running() == 0;
        }));
        expectPage(p, 0);
        p.Click(unit_id::kButton3);
        p.Then([&](ProgramHarness& p) {
          expectPage(p, 5);
          p.Click(unit_id::kButton3);  // past the end: only item 10 is there
          p.Then([&](ProgramHarness& p) {
            expectPage(p, 10);
            p.Click(unit_id::kButton2);
            p.Then([&](ProgramHarness& p) {
              expectPage(p, 5);
              p.Click(unit_id::kButton2);
              p.Then([&](ProgramHarness& p) {
                expectPage(p, 0);
                const auto reads = p.Site().RequestCount(index[0]);
                p.Click(unit_id::kButton2);  // on the first page: no reload at all
                p.Then([&, reads](ProgramHarness& p) {
                  expectPage(p, 0);
                  EXPECT_EQ(p.Site().RequestCount(index[0]), reads);
                  p.Close();
                });
              });
            });
          });
        });
      });
    });
  }),
            0);
  EXPECT_EQ(h.Site().RequestCount("/pa"), 1u);
  transfer::CloseIdleConnections();  // the site need not wait out their keep-alive
}

TEST(WindowRoutines, PagingKeysRunThePagingRoutinesUnlessTheButtonIsDisabled) {
  ProgramHarness h;
  std::vector<std::int32_t> firsts;  // pictureIndex1 after each key
  auto press = [](ProgramHarness& p, int key) {
    p.Front().PressKey(key);
    p.Then([](ProgramHarness& q) { q.WaitForWorkers(); });
  };
  auto note = [&](ProgramHarness& p) {
    p.Then([&](ProgramHarness&) { firsts.push_back(pictureIndex1.load()); });
  };
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    for (int key : {korvex::kKeyPageDown, korvex::kKeyRight, korvex::kKeyLeft, korvex::kKeyPageUp,
                    korvex::kKeyPageUp}) {
      press(p, key);
      note(p);
    }
    p.Then([&](ProgramHarness& p) {
      rt::SetDisabled(units::kNextButton, true);
      press(p, korvex::kKeyPageDown);
      press(p, korvex::kKeyRight);
      note(p);
      p.Then([&](ProgramHarness& p) {
        rt::SetDisabled(units::kNextButton, false);
        rt::SetDisabled(units::kPreviousButton, true);
        press(p, korvex::kKeyRight);
        press(p, korvex::kKeyLeft);
        press(p, korvex::kKeyPageUp);
        note(p);
        p.Then([](ProgramHarness& p) { p.Close(); });
      });
    });
  }),
            0);
  EXPECT_EQ(firsts, (std::vector<std::int32_t>{5, 10, 5, 0, 0, 0, 5}));
  transfer::CloseIdleConnections();
}

// A recorder standing in for the runtime's run-program service.
std::vector<std::pair<std::string, bool>> g_started;

TEST(WindowRoutines, SupportChatOpensTheAccountsLinkWithoutWaiting) {
  g_started.clear();
  korvex::Services services{};
  services.runProgram = [](const std::string& line, bool wait) {
    g_started.emplace_back(line, wait);
  };
  BindRuntime(&services);
  OpenSupportChat(0, 0, 0);
  BindRuntime(&korvex::ServiceTable());  // as the other tests found it
  ASSERT_EQ(g_started.size(), 1u);
  EXPECT_FALSE(g_started[0].second);
  platform::shell::SetUrlOpener("opener");
  EXPECT_EQ(platform::shell::CommandArguments(g_started[0].first),
            (std::vector<std::string>{
                "opener", "imchat://message/?uin=" + std::string(demo::kSupportAccount)}));
  platform::shell::SetUrlOpener("xdg-open");
}

// The units a routine names, as the runtime's services hear them.
std::vector<korvex::UnitRef> g_asked;

// Units reach the runtime as the image's unit operands name them: in an
// image whose operands give 图片框1 the place of 图片框2 and 按钮3 that of
// 按钮2, whatever the program asks of 图片框1 or 按钮3 goes to the other.
TEST(WindowRoutines, ServicesHearOfTheUnitsTheImageNames) {
  const korvex::ProgramMemory& built = BuilderImageMemory();
  static std::vector<std::uint8_t> operands;  // the binding keeps pointing here
  operands.assign(built.operands, built.operands + built.operandSize);
  // The unit list opens the operand block: a count, then three words a unit.
  auto place = [&](const korvex::UnitRef& unit) -> std::uint8_t* {
    std::uint32_t count = 0;
    std::memcpy(&count, operands.data(), 4);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t w[3];
      std::memcpy(w, operands.data() + 4 + 12 * i, 12);
      if (korvex::UnitRef{w[0], w[1], w[2]} == unit) return operands.data() + 4 + 12 * i;
    }
    return nullptr;
  };
  for (const auto& [from, to] : {std::pair{units::kPicture1, units::kPicture2},
                                 std::pair{units::kNextButton, units::kPreviousButton}}) {
    std::uint8_t* at = place(from);
    const std::uint8_t* other = place(to);
    ASSERT_TRUE(at != nullptr && other != nullptr);
    std::memcpy(at, other, 12);
  }
  korvex::ProgramMemory edited = built;
  edited.operands = operands.data();

  g_asked.clear();
  korvex::Services services{};
  services.propertyEmpty = [](korvex::UnitRef unit, int) {
    g_asked.push_back(unit);
    return true;
  };
  services.readProperty = [](korvex::UnitRef unit, int) {
    g_asked.push_back(unit);
    return korvex::PropertyValue();
  };
  services.bindKey = [](korvex::UnitRef button, int) { g_asked.push_back(button); };
  BindProgram(&services, edited);
  EXPECT_TRUE(rt::PictureEmpty(units::kPicture1));
  EXPECT_TRUE(rt::ReadPicture(units::kPicture1).empty());
  rt::BindKey(units::kNextButton, korvex::kKeyPageDown);
  BindProgram(&korvex::ServiceTable(), built);  // as the other tests found it
  EXPECT_EQ(g_asked, (std::vector<korvex::UnitRef>{units::kPicture2, units::kPicture2,
                                                   units::kPreviousButton}));
}
}  // namespace
}  // namespace pixaroo::testing
