// Runtime: one loaded program with its window.
//
// The runtime binds its service table into the program, calls the program's
// entry routine on the calling thread (which becomes the window thread),
// builds the window from the program's window description when the program
// asks for it, routes every event of the description to its routine, runs
// worker threads, and on the way out cancels transfers, waits for the
// workers (bounded) and only then calls the program's exit routine.
//
// A runtime fault (a routine offset that names no routine, a damaged window
// description, a window-thread service called from another thread) ends the
// program: the event loop stops, no further routine runs, and Run() returns
// the fault's exit code once the workers have ended.
//
// Once the window has closed (or the program faulted) no unit event, menu
// routine or message box runs any more; a worker asking for a message box
// then returns at once instead of waiting for a window thread that has
// stopped listening.
//
// One Runtime is active per process at a time (its services are plain
// functions); Run() may be called once. The Runtime must outlive Run().
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "base/exit_codes.h"
#include "runtime/core/event_table.h"
#include "runtime/core/front.h"
#include "runtime/core/unit_model.h"
#include "runtime/core/worker_threads.h"
#include "runtime/form/form.h"
#include "runtime/services/services.h"

namespace korvex {

using NativeRoutine = void (*)(std::int32_t, std::int32_t, std::int32_t);

// What the runtime needs of a program.
struct Program {
  std::span<const std::uint8_t> form;                     // the window description
  std::function<NativeRoutine(std::uint32_t)> routineAt;  // nullptr when no routine there
  std::uint32_t entryOffset = 0;
  std::function<void(const Services*)> bindServices;
  std::span<const DllCommandName> dllCommands;  // resolved before the entry routine
};

// The service table every program of this process is bound to. Its window
// services reach the running Runtime; the others (HTTP read, DLL commands,
// automation objects) need none. It lives as long as the process, so a
// program may keep its binding after its Runtime is gone: startTask then
// refuses, and a window service ends the process (no program is loaded).
const Services& ServiceTable();

struct RuntimeOptions {
  // Makes running and later HTTP transfers fail promptly; called once the
  // window has closed, before the workers are waited for.
  std::function<void()> cancelTransfers;
  // Starts a program from a command line (the shell layer). When the line
  // opens a link, `notOpened` is to be called (on any thread, at most once)
  // with the link if the desktop's opener ends without opening it.
  std::function<void(const std::string& line, bool wait,
                     std::function<void(const std::string& link)> notOpened)>
      runProgram;
  // How long the end of the program waits for worker threads.
  std::chrono::milliseconds workerJoinTimeout{10000};
};

class Runtime final : private FrontEvents {
 public:
  Runtime(Program program, std::unique_ptr<Front> front, RuntimeOptions options = {});
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Runs the program to its end on this thread; returns the exit code.
  int Run();

  // For fronts and tests: the window's state once loaded (else nullptr).
  UnitModel* Model() { return model_.get(); }
  const form::Form* Form() const { return form_ ? &*form_ : nullptr; }
  WorkerThreads& Workers() { return workers_; }
  bool OnWindowThread() const { return std::this_thread::get_id() == windowThread_; }

  // Service implementations (see runtime/services/services.h).
  void LoadWindow(std::uint32_t windowId);
  void RunEventLoop();
  void EndProgram(int exitCode);
  void StartThread(std::uint32_t routineOffset);
  void RegisterExitRoutine(std::uint32_t routineOffset);
  void PopupMenu(UnitRef window, UnitRef menu);
  void OpenDialog(UnitRef dialog);
  void BindKey(UnitRef button, int key);
  void BindViewer(ViewerPhotos photos);
  base::FileResult WriteFile(const std::string& fileName, const Bytes& data);
  void ShowMessageBox(const std::string& text, int flags, const std::string& title);
  void RunProgramLine(const std::string& commandLine, bool wait);

  // Runs the routine at a code offset; an offset that names no routine is a
  // runtime fault.
  void CallRoutine(std::uint32_t offset, std::int32_t a = 0, std::int32_t b = 0,
                   std::int32_t c = 0);

 private:
  void OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                   std::int32_t c) override;
  void OnWindowClosing() override;
  void Fault(int exitCode, const std::string& message);
  // False (after raising a fault) when called off the window thread.
  bool RequireWindowThread(const char* service);
  // From now on the window takes no events and shows no message boxes.
  void MarkWindowGone();
  bool WindowGone() const;

  // Shows, on the window thread, that nothing on the desktop opened `link`.
  void SayLinkNotOpened(const std::string& link);

  // Reaches this runtime from callbacks that may outlive it (a link
  // opener's end); emptied by the destructor.
  struct Life {
    std::mutex mutex;
    Runtime* runtime = nullptr;  // guarded by mutex
  };
  std::shared_ptr<Life> life_ = std::make_shared<Life>();

  Program program_;
  std::unique_ptr<Front> front_;
  RuntimeOptions options_;
  std::thread::id windowThread_;

  std::optional<form::Form> form_;
  std::unique_ptr<UnitModel> model_;
  EventTable events_;
  WorkerThreads workers_;
  std::optional<std::uint32_t> exitRoutine_;  // window thread only
  bool ended_ = false;                        // window thread only

  // Shared with worker threads.
  std::atomic<bool> faulted_{false};
  mutable std::mutex stateMutex_;
  std::condition_variable boxClosed_;  // a worker's message box closed, or the window went
  int exitCode_ = 0;                   // guarded by stateMutex_; the first fault's code wins
  bool windowGone_ = false;            // guarded by stateMutex_
};

}  // namespace korvex
