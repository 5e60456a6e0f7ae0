// Saving a picture as a user meets it: the last right-clicked box's picture
// goes under the name chosen in the dialog (whatever its folder's name), an
// empty box says there is nothing to save, and a save that fails says why
// and leaves no file behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "base/charset.h"
#include "base/files.h"
#include "platform/transfer/transfer.h"
#include "tests/program/exports/program_harness.h"
#include "program/pages/main_window_form.h"

namespace pixaroo::testing {
namespace {

namespace fs = std::filesystem;
using base::Bytes;
using Step = std::function<void(ProgramHarness&)>;

// Runs `step` once the routines that the input queued so far posts (a menu
// entry's routine after a right-click) have run too.
void AfterPosted(ProgramHarness& p, Step step) {
  p.Then([step = std::move(step)](ProgramHarness& q) { q.Then(step); });
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

}  // namespace
}  // namespace pixaroo::testing
