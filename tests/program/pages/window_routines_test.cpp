// The window's routines as a user meets them: the badge and notice at start,
// paging through an index (a photo that fails leaves its box empty), saving
// the last right-clicked photo, the support chat's command line, and units
// named as the image names them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;
using base::Bytes;
using Step = std::function<void(ProgramHarness&)>;

constexpr std::size_t kIndexSize = 11;
constexpr std::size_t kMissingAt = 7;  // an index item the site does not have

// Runs `step` once the routines that the input queued so far posts (a menu
// entry's routine after a right-click) have run too.
void AfterPosted(ProgramHarness& p, Step step) {
  p.Then([step = std::move(step)](ProgramHarness& q) { q.Then(step); });
}

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

TEST(WindowRoutines, SaveWritesTheLastRightClickedPictureUnderTheChosenName) {
  // "Ö" and "가" have no GBK form: the program's text for the folder cannot
  // spell it, yet the picture goes exactly where the user chose.
  const fs::path top = fs::temp_directory_path() / ("pixaroo-save-" + std::to_string(::getpid()));
  const fs::path dir = top / u8"Fotos-Ö-가";
  fs::remove_all(top);
  fs::create_directories(dir);
  const fs::path saved = dir / u8"图片.bmp";
  // 图片.bmp in a folder whose "Ö" and "가" GBK lacks.
  const std::string savedText = top.string() + "/Fotos-?-?/\xCD\xBC\xC6\xAC.bmp";
  const fs::path kept = dir / "keep.bmp";
  const Bytes old = {'o', 'l', 'd'};
  ASSERT_TRUE(base::WriteFileAtomic(kept.string(), old).ok());
  const Bytes two = {'B', 'M', '2'};
  const Bytes five = {'B', 'M', '5'};

  std::vector<Bytes> each;  // box k's picture
  std::vector<fs::path> eachFile;
  for (std::uint8_t box = 1; box <= 6; ++box) {
    each.push_back({'B', 'M', static_cast<std::uint8_t>('0' + box), 0, box});
    eachFile.push_back(dir / ("box" + std::to_string(box) + ".bmp"));
  }
  std::function<void(ProgramHarness&, std::size_t)> saveFrom = [&](ProgramHarness& p,
                                                                   std::size_t box) {
    if (box == each.size()) {
      p.Close();
      return;
    }
    p.Front().AnswerMenu(unit_id::kMenuSavePicture);
    p.Front().AnswerDialog(eachFile[box].string());
    p.RightClick(kPictureBoxIds[box]);
    AfterPosted(p, [&, box](ProgramHarness& p) { saveFrom(p, box + 1); });
  };

  ProgramHarness h;
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    // The dialog suggests the photo's own name as .bmp: box 2 shows
    // 夏天.jpg (with a query), box 5 an address without a file name.
    for (const char* item : {"/p/1.jpg", "/photos/a/\xCF\xC4\xCC\xEC.jpg?w=1#top", "/p/3.png",
                             "/p/4.tif", "/", "/p/6"}) {
      rt::ListAdd(units::kIndexList, item);
    }
    rt::WritePicture(units::kPictures[1], two);
    rt::WritePicture(units::kPictures[4], five);
    p.RightClick(kPictureBoxIds[1]);  // menu closed without a choice
    p.Then([&](ProgramHarness& p) {
      p.Front().AnswerMenu(unit_id::kMenuSavePicture);
      p.Front().AnswerDialog(saved.string());
      p.RightClick(kPictureBoxIds[4]);
      AfterPosted(p, [&](ProgramHarness& p) {
        EXPECT_EQ(base::ReadWholeFile(saved.string()), five);
        EXPECT_EQ(rt::ReadDialogFileName(units::kDialog), savedText);
        // A text that no dialog handed out must be plain GBK to name a file.
        EXPECT_EQ(rt::WriteFile(top.string() + "/\xFF.bmp", five).error().code, EINVAL);
        EXPECT_TRUE(rt::WriteFile(top.string() + "/\xCD\xBC.bmp", two).ok());
        p.Front().AnswerMenu(unit_id::kMenuSavePicture);  // and the dialog is cancelled
        p.RightClick(kPictureBoxIds[1]);
        AfterPosted(p, [&](ProgramHarness& p) {
          p.Front().AnswerMenu(unit_id::kMenuSavePicture);
          p.RightClick(kPictureBoxIds[5]);  // an empty box: nothing to save
          AfterPosted(p, [&](ProgramHarness& p) {
            // Said at once, in a message, instead of a dialog.
            EXPECT_EQ(p.Front().DialogsShown(), 2);
            ASSERT_FALSE(p.Front().MessageBoxes().empty());
            EXPECT_EQ(p.Front().MessageBoxes().back().text, texts::kNothingToSave);
            EXPECT_EQ(p.Front().MessageBoxes().back().title, texts::kSaveTitle);
            EXPECT_EQ(p.Front().DialogSuggestions(),
                      (std::vector<std::string>{"\xCD\xBC\xC6\xAC.bmp", "\xCF\xC4\xCC\xEC.bmp"}));
            // Now a picture of its own in every box, saved from each box.
            for (std::size_t box = 0; box < 6; ++box) {
              rt::WritePicture(units::kPictures[box], each[box]);
            }
            saveFrom(p, 0);
          });
        });
      });
    });
  }),
            0);
  EXPECT_EQ(base::ReadWholeFile(saved.string()), five);
  EXPECT_EQ(base::ReadWholeFile(kept.string()), old);
  for (std::size_t box = 0; box < each.size(); ++box) {
    EXPECT_EQ(base::ReadWholeFile(eachFile[box].string()), each[box]) << "box " << box + 1;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 8);
  // Beside the folder only the plain GBK name: no "Fotos-?-?" folder.
  EXPECT_EQ(base::ReadWholeFile((top / u8"图.bmp").string()), two);
  EXPECT_EQ(std::distance(fs::directory_iterator(top), fs::directory_iterator()), 2);
  fs::remove_all(top);
  transfer::CloseIdleConnections();
}

// File system calls that fail as a folder refusing writes and a full disk
// do, whoever runs the test.
int RefusingOpen(const char*, int, mode_t) {
  errno = EACCES;
  return -1;
}
ssize_t FullDiskWrite(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

TEST(WindowRoutines, AFailedSaveSaysWhyAndLeavesNoFile) {
  const fs::path dir = fs::temp_directory_path() / ("pixaroo-nosave-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  base::FileSystemCalls refusing = base::RealFileSystemCalls();
  refusing.open = &RefusingOpen;
  base::FileSystemCalls full = base::RealFileSystemCalls();
  full.write = &FullDiskWrite;
  const struct {
    const base::FileSystemCalls* calls;
    fs::path file;
    std::string reason;
  } cases[] = {
      {&refusing, dir / "a.bmp", "该文件夹不能写入。"},
      {&full, dir / "b.bmp", "磁盘已满。"},
      {nullptr, dir / "no-such-folder" / "c.bmp", "写入文件时出错。"},
  };
  std::vector<korvex::HeadlessFront::Shown> shown;  // each case's new boxes
  std::function<void(ProgramHarness&, std::size_t)> saveCase = [&](ProgramHarness& p,
                                                                   std::size_t k) {
    if (k == std::size(cases)) {
      p.Close();
      return;
    }
    const std::size_t before = p.Front().MessageBoxes().size();
    base::SetFileSystemCallsForTesting(cases[k].calls);
    p.Front().AnswerMenu(unit_id::kMenuSavePicture);
    p.Front().AnswerDialog(cases[k].file.string());
    p.RightClick(kPictureBoxIds[0]);
    AfterPosted(p, [&, k, before](ProgramHarness& p) {
      base::SetFileSystemCallsForTesting(nullptr);
      const auto boxes = p.Front().MessageBoxes();
      EXPECT_EQ(boxes.size(), before + 1) << k;
      if (boxes.size() > before) shown.push_back(boxes.back());
      saveCase(p, k + 1);
    });
  };
  ProgramHarness h;
  EXPECT_EQ(h.Run([&](ProgramHarness& p) {
    rt::WritePicture(units::kPictures[0], Bytes{'B', 'M', '1'});
    saveCase(p, 0);
  }),
            0);
  base::SetFileSystemCallsForTesting(nullptr);
  ASSERT_EQ(shown.size(), std::size(cases));
  for (std::size_t k = 0; k < shown.size(); ++k) {
    EXPECT_EQ(base::GbkToUtf8(shown[k].text), "图片没有保存：" + cases[k].reason) << k;
    EXPECT_EQ(base::GbkToUtf8(shown[k].title), "保存图片");
  }
  // Nothing was left behind, not even a temporary.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
  fs::remove_all(dir);
  transfer::CloseIdleConnections();
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
