// The runtime with the headless front: event wiring from the window
// description, the popup-menu sequence, dialogs, the end of the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "program/routines/globals.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "runtime/core/headless_front.h"
#include "tests/runtime/core/test_program.h"
#include "program/pages/main_window_form.h"

namespace pixaroo {
namespace {

using korvex::HeadlessFront;
using korvex::Runtime;
using testing::TestProgram;

constexpr std::int32_t kLeft = -1;
constexpr std::int32_t kRight = -4;

struct Fixture {
  TestProgram program;
  HeadlessFront* front = nullptr;
  std::unique_ptr<Runtime> runtime;

  explicit Fixture(korvex::RuntimeOptions options = {}) {
    auto f = std::make_unique<HeadlessFront>();
    front = f.get();
    runtime = std::make_unique<Runtime>(program.Program(), std::move(f), std::move(options));
  }

  // Runs the program; if it has not ended on its own after a generous
  // while, closes the window so that a test that expects the program to end
  // by itself fails instead of hanging. `closedByTest` tells which happened.
  int RunWithWatchdog(bool& closedByTest) {
    std::mutex m;
    std::condition_variable cv;
    bool over = false;
    closedByTest = false;
    std::thread watchdog([&] {
      std::unique_lock lock(m);
      if (!cv.wait_for(lock, std::chrono::seconds(30), [&] { return over; })) {
        closedByTest = true;
        front->Close();
      }
    });
    const int code = runtime->Run();
    {
      std::lock_guard lock(m);
      over = true;
    }
    cv.notify_all();
    watchdog.join();
    return code;
  }
};

TEST(Runtime, EveryEventReachesItsRoutineThroughTheDescription) {
  Fixture fx;
  fx.front->OnCreated([](HeadlessFront& f) {
    f.Raise(unit_id::kButton1, 0);
    f.Raise(unit_id::kButton2, 0);
    f.Raise(unit_id::kButton3, 0);
    for (std::uint32_t box : kPictureBoxIds) f.Raise(box, kRight, 7, 8, 2);
    for (std::uint32_t box : kPictureBoxIds) f.Raise(box, kLeft);
    f.Raise(unit_id::kQqSupport1, kLeft);
    f.Raise(unit_id::kListBox1, 0);  // no entries: nothing runs
    f.Raise(unit_id::kStatusBar1, kLeft);
    f.Close();
  });
  EXPECT_EQ(fx.runtime->Run(), 0);

  auto off = [](Routine r) { return RoutineOffset(r); };
  const std::vector<std::uint32_t> expected = {
      off(Routine::OnWindowCreated),
      off(Routine::StartUpdate),
      off(Routine::ShowPreviousPage),
      off(Routine::ShowNextPage),
      off(Routine::PictureRightClick1),
      off(Routine::PictureRightClick2),
      off(Routine::PictureRightClick3),
      off(Routine::PictureRightClick4),
      off(Routine::PictureRightClick5),
      off(Routine::PictureRightClick6),
      0,  // 图片框1 left: the do-nothing routine
      0,  // 图片框2
      0,  // 图片框5 (图片框3 and 图片框4 have no entry)
      0,  // 图片框6
      off(Routine::OpenSupportChat),
      off(Routine::SaveIndexFile),  // closing
  };
  EXPECT_EQ(fx.program.Offsets(), expected);
  // Mouse handlers receive the three mouse arguments.
  const auto calls = fx.program.Calls();
  EXPECT_EQ(calls[4].a, 7);
  EXPECT_EQ(calls[4].b, 8);
  EXPECT_TRUE(fx.program.ExitRoutineRan());
}

TEST(Runtime, MenuRoutineRunsAfterTheRightClickRoutineReturns) {
  Fixture fx;
  std::vector<std::string> order;
  fx.program.Hook(Routine::PictureRightClick2, [&] {
    order.push_back("right-click starts");
    rt::PopupMenu(units::kWindow, units::kMenuPlay);
    order.push_back("popup returned");
  });
  fx.program.Hook(Routine::SavePicture, [&] {
    order.push_back("save");
    rt::OpenDialog(units::kDialog);
    order.push_back("file:" + rt::ReadDialogFileName(units::kDialog));
    // The user's next clicks come after the menu's routine.
    fx.front->Raise(unit_id::kPictureBox5, kRight);
    fx.front->Close();
  });
  fx.program.Hook(Routine::PictureRightClick5, [&] {
    order.push_back("right-click 5");
    rt::PopupMenu(units::kWindow, units::kMenuPlay);  // closed without a choice
  });
  fx.front->AnswerMenu(unit_id::kMenuSavePicture);
  fx.front->AnswerDialog("/tmp/a.bmp");
  fx.front->OnCreated([](HeadlessFront& f) { f.Raise(unit_id::kPictureBox2, kRight); });
  EXPECT_EQ(fx.runtime->Run(), 0);
  EXPECT_EQ(order, (std::vector<std::string>{"right-click starts", "popup returned", "save",
                                             "file:/tmp/a.bmp", "right-click 5"}));
  EXPECT_EQ(fx.front->MenusShown(),
            (std::vector<std::uint32_t>{unit_id::kMenuPlay, unit_id::kMenuPlay}));
}

TEST(Runtime, CancelledDialogLeavesAnEmptyFileName) {
  Fixture fx;
  std::string chosen = "unset";
  fx.program.Hook(Routine::SavePicture, [&] {
    rt::OpenDialog(units::kDialog);
    chosen = rt::ReadDialogFileName(units::kDialog);
  });
  fx.front->AnswerDialog("first.bmp");
  fx.front->OnCreated([](HeadlessFront& f) {
    f.Raise(unit_id::kWindow, 99);  // an event number with no entry
    f.Close();
  });
  // Run the menu routine directly twice: the second dialog is cancelled.
  fx.program.Hook(Routine::OnWindowCreated, [&] {
    fx.runtime->CallRoutine(RoutineOffset(Routine::SavePicture));
    EXPECT_EQ(chosen, "first.bmp");
    fx.runtime->CallRoutine(RoutineOffset(Routine::SavePicture));
  });
  EXPECT_EQ(fx.runtime->Run(), 0);
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(fx.front->DialogsShown(), 2);
}

TEST(Runtime, ALinkNothingOpensIsSaidInAMessageWhileTheWindowIsThere) {
  // The shell layer reports, from its reaper thread, that the opener ended
  // without opening the link: the window thread says so in a message box.
  std::vector<std::string> lines;
  korvex::RuntimeOptions options;
  options.runProgram = [&](const std::string& line, bool,
                           std::function<void(const std::string&)> notOpened) {
    lines.push_back(line);
    std::thread reaper([notOpened = std::move(notOpened)] { notOpened("imchat://x?uin=1"); });
    reaper.join();
  };
  Fixture fx(std::move(options));
  fx.program.Hook(Routine::OnWindowCreated, [&] {
    rt::RunProgram("opener imchat://x?uin=1", false);
    fx.front->Close();  // after the message, which is already posted
  });
  EXPECT_EQ(fx.runtime->Run(), 0);
  ASSERT_EQ(lines, std::vector<std::string>{"opener imchat://x?uin=1"});
  const auto shown = fx.front->MessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  // 桌面上没有能打开这个链接的程序：, a line break, the link; title 无法打开链接.
  EXPECT_EQ(shown[0].text,
            "\xD7\xC0\xC3\xE6\xC9\xCF\xC3\xBB\xD3\xD0\xC4\xDC\xB4\xF2\xBF\xAA\xD5\xE2"
            "\xB8\xF6\xC1\xB4\xBD\xD3\xB5\xC4\xB3\xCC\xD0\xF2\xA3\xBA\nimchat://x?uin=1");
  EXPECT_EQ(shown[0].title, "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xC1\xB4\xBD\xD3");
}

TEST(Runtime, UnitServicesFollowTheModel) {
  Fixture fx;
  fx.program.Hook(Routine::OnWindowCreated, [&] {
    EXPECT_EQ(rt::ListCount(units::kIndexList), 0);
    rt::ListAdd(units::kIndexList, "/a.jpg");
    rt::ListAdd(units::kIndexList, "/b.jpg");
    EXPECT_EQ(rt::ListItem(units::kIndexList, 1), "/b.jpg");
    EXPECT_EQ(rt::ListItem(units::kIndexList, 2), "");  // past the end
    EXPECT_EQ(rt::ListItem(units::kIndexList, -1), "");
    rt::WritePicture(units::kPicture3, base::Bytes{'B', 'M'});
    base::Bytes copy = rt::ReadPicture(units::kPicture3);
    copy.push_back('!');  // a fresh copy: the box keeps its bytes
    EXPECT_EQ(rt::ReadPicture(units::kPicture3), (base::Bytes{'B', 'M'}));
    EXPECT_TRUE(rt::ReadPicture(units::kPicture4).empty());
    rt::SetDisabled(units::kUpdateButton, true);
    EXPECT_EQ(std::get<bool>(fx.runtime->Model()->ReadProperty(unit_id::kButton1, 6)), true);
    rt::SetStatusText(units::kStatusBar, 0, "x");
    EXPECT_EQ(fx.runtime->Model()->StatusText(unit_id::kStatusBar1, 0), "x");
    rt::ListClear(units::kIndexList);
    EXPECT_EQ(rt::ListCount(units::kIndexList), 0);
    rt::MessageBox("text", 0, "title");
  });
  fx.front->OnCreated([](HeadlessFront& f) { f.Close(); });
  EXPECT_EQ(fx.runtime->Run(), 0);
  ASSERT_EQ(fx.front->MessageBoxes().size(), 1u);
  EXPECT_EQ(fx.front->MessageBoxes()[0].title, "title");
  // The program keeps its binding after the runtime is gone; it must reach
  // no freed memory, and no task starts with no program running.
  fx.front = nullptr;
  fx.runtime.reset();
  EXPECT_TRUE(RuntimeBound());
  EXPECT_FALSE(rt::StartTask([] {}));
}

TEST(Runtime, DamagedDescriptionEndsWithAClearErrorNotACrash) {
  TestProgram program;
  program.FormBytes().resize(100);
  Runtime runtime(program.Program(), std::make_unique<HeadlessFront>());
  EXPECT_EQ(runtime.Run(), base::kExitBadWindow);
  EXPECT_TRUE(program.Offsets().empty());
}

TEST(Runtime, ClosingCancelsTransfersAndWaitsForWorkersBeforeTheExitRoutine) {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> workerDone{false};
  korvex::RuntimeOptions options;
  options.cancelTransfers = [&] { cancelled = true; };
  Fixture fx(std::move(options));
  fx.program.Hook(Routine::StartUpdate, [] { rt::StartThread(Routine::UpdateRunThread); });
  fx.program.Hook(Routine::UpdateRunThread, [&] {
    // A transfer that only ends when cancelled.
    while (!cancelled) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    rt::ListAdd(units::kIndexList, "late");
    // The window thread is joining this worker: the box must not wait for it.
    rt::MessageBox("late", 0, "title");
    workerDone = true;
  });
  // A menu choice made just before the window closed runs no routine after
  // the closing routine.
  fx.program.Hook(Routine::PictureRightClick1,
                  [] { rt::PopupMenu(units::kWindow, units::kMenuPlay); });
  fx.front->AnswerMenu(unit_id::kMenuSavePicture);
  fx.program.Hook(Routine::SaveIndexFile, [&] { EXPECT_FALSE(cancelled); });
  fx.front->OnCreated([](HeadlessFront& f) {
    f.Raise(unit_id::kButton1, 0);
    f.Raise(unit_id::kPictureBox1, kRight);
    f.Close();
    f.Raise(unit_id::kButton3, 0);  // after closing: ignored
  });
  EXPECT_EQ(fx.runtime->Run(), 0);
  EXPECT_TRUE(workerDone);
  EXPECT_TRUE(fx.program.ExitRoutineRan());
  EXPECT_TRUE(fx.front->MessageBoxes().empty());
  std::vector<std::uint32_t> onWindow = fx.program.Offsets();
  std::erase(onWindow, RoutineOffset(Routine::UpdateRunThread));
  EXPECT_EQ(onWindow, (std::vector<std::uint32_t>{RoutineOffset(Routine::OnWindowCreated),
                                                  RoutineOffset(Routine::StartUpdate),
                                                  RoutineOffset(Routine::PictureRightClick1),
                                                  RoutineOffset(Routine::SaveIndexFile)}));
  // No thread may start once the program is ending.
  EXPECT_FALSE(fx.runtime->Workers().Start([] {}));
}

TEST(Runtime, FaultsEndTheProgramWithTheirExitCode) {
  // A button whose routine offset names no routine: the program stops there;
  // neither the closing routine nor the exit routine runs.
  {
    Fixture fx;
    fx.program.Remove(Routine::ShowNextPage);
    fx.front->OnCreated([](HeadlessFront& f) {
      f.Raise(unit_id::kButton3, 0);
      f.Raise(unit_id::kButton1, 0);
    });
    bool closedByTest = false;
    EXPECT_EQ(fx.RunWithWatchdog(closedByTest), base::kExitBadRoutine);
    EXPECT_FALSE(closedByTest) << "the event loop went on after the fault";
    EXPECT_EQ(fx.program.Offsets(),
              std::vector<std::uint32_t>{RoutineOffset(Routine::OnWindowCreated)});
    EXPECT_FALSE(fx.program.ExitRoutineRan());
  }
  // A worker asking for a window-thread service (a popup menu) is a fault,
  // not a menu driven from the wrong thread.
  {
    Fixture fx;
    fx.program.Hook(Routine::ShowNextPage, [] { rt::StartThread(Routine::PageLoaderThread); });
    fx.program.Hook(Routine::PageLoaderThread,
                    [] { rt::PopupMenu(units::kWindow, units::kMenuPlay); });
    fx.front->AnswerMenu(unit_id::kMenuSavePicture);
    fx.front->OnCreated([](HeadlessFront& f) { f.Raise(unit_id::kButton3, 0); });
    bool closedByTest = false;
    EXPECT_EQ(fx.RunWithWatchdog(closedByTest), base::kExitWrongThread);
    EXPECT_FALSE(closedByTest);
    EXPECT_TRUE(fx.front->MenusShown().empty());
  }
}

TEST(Runtime, WorkersAndTheWindowThreadShareUnitsAndGlobals) {
  constexpr int kWorkers = 4;
  constexpr int kItemsEach = 300;
  Fixture fx;
  std::atomic<int> started{0};
  fx.program.Hook(Routine::PageLoaderThread, [&] {
    const int me = started++;
    for (int i = 0; i < kItemsEach; ++i) {
      rt::ListAdd(units::kIndexList, std::to_string(me) + ":" + std::to_string(i));
      rt::WritePicture(units::kPictures[i % 6], base::Bytes(16, static_cast<std::uint8_t>(i)));
      rt::SetStatusText(units::kStatusBar, 0, std::to_string(i));
      pictureIndex3.fetch_add(1);
      savedPicture.Set(base::Bytes{static_cast<std::uint8_t>(i)});
    }
  });
  fx.program.Hook(Routine::ShowNextPage, [&] {
    for (int i = 0; i < kWorkers; ++i) rt::StartThread(Routine::PageLoaderThread);
    // The window thread keeps reading while they write.
    for (int i = 0; i < 500; ++i) {
      const int n = rt::ListCount(units::kIndexList);
      if (n > 0) {
        EXPECT_FALSE(rt::ListItem(units::kIndexList, n - 1).empty());
      }
      const auto pic = rt::ReadPicture(units::kPicture1);
      EXPECT_TRUE(pic.empty() || pic.size() == 16u);
      (void)savedPicture.Get();
    }
  });
  fx.front->OnCreated([](HeadlessFront& f) {
    f.Raise(unit_id::kButton3, 0);
    f.Close();
  });
  pictureIndex3 = 0;
  EXPECT_EQ(fx.runtime->Run(), 0);
  EXPECT_EQ(fx.runtime->Model()->ListCount(unit_id::kListBox1), kWorkers * kItemsEach);
  EXPECT_EQ(pictureIndex3.load(), kWorkers * kItemsEach);
  EXPECT_FALSE(savedPicture.Get().has_value());  // the exit routine freed it
}

}  // namespace
}  // namespace pixaroo
