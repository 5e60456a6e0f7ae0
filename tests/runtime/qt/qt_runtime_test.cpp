// The whole program's life with the Qt window: the window opens, a worker
// keeps changing units while the user closes it, the workers are waited for,
// the exit routine runs, and the runtime and its window go away cleanly.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <thread>

#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "runtime/core/runtime.h"
#include "runtime/qt/qt_front.h"
#include "tests/runtime/core/test_program.h"

namespace pixaroo {
namespace {

TEST(QtRuntime, ClosingWhileAWorkerWritesUnitsEndsCleanly) {
  testing::TestProgram program;
  std::atomic<bool> cancelled{false};
  std::atomic<bool> workerDone{false};
  korvex::RuntimeOptions options;
  options.cancelTransfers = [&] { cancelled = true; };
  auto owned = std::make_unique<korvex::QtFront>();
  korvex::QtFront* front = owned.get();
  auto runtime =
      std::make_unique<korvex::Runtime>(program.Program(), std::move(owned), std::move(options));

  program.Hook(Routine::PageLoaderThread, [&] {
    for (int i = 0; !cancelled; ++i) {
      rt::ListAdd(units::kIndexList, "/p/" + std::to_string(i));
      rt::WritePicture(units::kPictures[i % 6], base::Bytes{'B', 'M'});
      rt::SetStatusText(units::kStatusBar, 0, std::to_string(i));
    }
    // The window thread is joining this worker: the box returns at once.
    rt::MessageBox("late", 0, "title");
    workerDone = true;
  });
  int itemsAtClose = 0;
  bool workerRunningAtClose = false;
  program.Hook(Routine::OnWindowCreated, [&] {
    rt::StartThread(Routine::PageLoaderThread);
    for (int i = 0; i < 10000 && rt::ListCount(units::kIndexList) < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    itemsAtClose = rt::ListCount(units::kIndexList);
    workerRunningAtClose = !workerDone && runtime->Workers().Running() == 1;
    front->Window()->close();  // as the user would
  });

  EXPECT_EQ(runtime->Run(), 0);
  // The race was on: the worker had written, and was still writing, when
  // the window closed.
  EXPECT_GE(itemsAtClose, 100);
  EXPECT_TRUE(workerRunningAtClose);
  EXPECT_TRUE(workerDone);
  EXPECT_TRUE(program.ExitRoutineRan());
  const auto offsets = program.Offsets();
  EXPECT_NE(std::find(offsets.begin(), offsets.end(), RoutineOffset(Routine::SaveIndexFile)),
            offsets.end());
  runtime.reset();  // the window goes before the model it draws
}

TEST(QtRuntime, ClicksQueuedBeforeTheButtonShowsDisabledStartOneRun) {
  testing::TestProgram program;
  auto owned = std::make_unique<korvex::QtFront>();
  korvex::QtFront* front = owned.get();
  korvex::Runtime runtime(program.Program(), std::move(owned));
  int runs = 0;
  bool enabledAtSecondClick = false;
  program.Hook(Routine::StartUpdate, [&] {
    ++runs;
    rt::SetDisabled(units::kUpdateButton, true);
  });
  program.Hook(Routine::OnWindowCreated, [&] {
    auto* button = static_cast<QPushButton*>(front->UnitWidget(unit_id::kButton1));
    // Two clicks handled back to back, before the window thread gets round
    // to drawing the button disabled.
    button->click();
    enabledAtSecondClick = button->isEnabled();
    button->click();
    front->Window()->close();
  });
  EXPECT_EQ(runtime.Run(), 0);
  EXPECT_TRUE(enabledAtSecondClick);  // the second click did reach the button
  EXPECT_EQ(runs, 1);
}

TEST(QtRuntime, AFaultStopsTheEventLoop) {
  testing::TestProgram program;
  program.Remove(Routine::ShowNextPage);  // the button's routine offset names nothing
  auto owned = std::make_unique<korvex::QtFront>();
  korvex::QtFront* front = owned.get();
  korvex::Runtime runtime(program.Program(), std::move(owned));
  bool closedByTest = false;
  program.Hook(Routine::OnWindowCreated, [&] {
    // Should the loop go on after the fault, close the window after a
    // generous while so that the test fails rather than hangs.
    QTimer::singleShot(30000, front->Window(), [&] {
      closedByTest = true;
      front->Window()->close();
    });
    static_cast<QPushButton*>(front->UnitWidget(unit_id::kButton3))->click();
  });
  EXPECT_EQ(runtime.Run(), base::kExitBadRoutine);
  EXPECT_FALSE(closedByTest);
  EXPECT_FALSE(program.ExitRoutineRan());
}

}  // namespace
}  // namespace pixaroo
