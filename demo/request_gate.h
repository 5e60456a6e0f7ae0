// RequestGate: lets a test decide when a loopback site answers. A path the
// test holds is not answered until the test opens it again; meanwhile the
// test can wait until requests for it have arrived and are waiting. Races
// are made to happen this way instead of hoped for with delays.
//
// The serving threads call Pass() for each request before answering. A held
// request waits until its path is opened, the gate is closed (the site is
// stopping) or kMaxHold passes, so no failure keeps a site from stopping.
// Paths are compared without their query. Every method may be called from
// any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace pixaroo::demo {

// The longest a held request waits when nobody opens its path.
inline constexpr std::chrono::seconds kMaxHold{120};

class RequestGate {
 public:
  // From now on, requests for `path` wait at the gate.
  void Hold(std::string_view path);
  // Lets the waiting and all later requests for `path` through.
  void Open(std::string_view path);
  // Opens every path for good: nothing is held from now on.
  void Close();

  // Called for every request by the thread that answers it; returns once
  // the request may be answered.
  void Pass(const std::string& path);

  // Requests for `path` waiting at the gate now (none once it is open).
  std::size_t Waiting(std::string_view path) const;
  // Waits until at least `count` requests for `path` wait at the gate
  // (true), or `limit` passes (false).
  bool WaitUntilWaiting(std::string_view path, std::size_t count = 1,
                        std::chrono::milliseconds limit = std::chrono::seconds(60)) const;
  // The same over every path: at least `count` requests wait in all.
  bool WaitUntilWaitingInAll(std::size_t count,
                             std::chrono::milliseconds limit = std::chrono::seconds(60)) const;

 private:
  std::size_t WaitingLocked(std::string_view path) const;  // mutex_ held

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::set<std::string, std::less<>> held_;
  std::map<std::string, std::size_t, std::less<>> waiting_;
  bool closed_ = false;
};

}  // namespace pixaroo::demo
