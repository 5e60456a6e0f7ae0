// Worker threads started by the program, tracked so that the runtime can
// wait for them before the program's state is freed.
//
// Start() runs a routine on a new thread and returns at once. JoinAll() waits
// (bounded) until every started thread has returned, then joins them; after
// Close() no new thread starts. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace korvex {

class WorkerThreads {
 public:
  WorkerThreads() = default;
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;
  // Joins what has ended; threads still running are left detached (the
  // runtime only destroys this after JoinAll succeeded or at process end).
  ~WorkerThreads();

  // False when closed or the thread could not be created.
  bool Start(std::function<void()> routine);
  // Stops new threads from starting.
  void Close();
  // Waits until all started threads have returned or `timeout` passes.
  // True when none is left running.
  bool JoinAll(std::chrono::milliseconds timeout);
  int Running() const;

 private:
  struct Worker {
    std::thread thread;
    bool done = false;
  };
  void ReapLocked();

  mutable std::mutex mutex_;
  std::condition_variable ended_;
  std::list<Worker> workers_;
  int running_ = 0;
  bool closed_ = false;
};

}  // namespace korvex
