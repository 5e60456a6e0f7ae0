// Pooled curl sessions: one easy handle driven by its own multi handle, so
// that a transfer can be watched (cancel switch, no-progress time-out) every
// few milliseconds, and the multi handle's connection cache outlives the
// transfer. Internal to korvex_inet.
//
// A Session belongs to one thread at a time: TakeSession hands it out,
// ReturnSession puts it back for reuse (its connections stay open). Both are
// safe on any thread.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>

namespace transfer {

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
  void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using MultiPtr = std::unique_ptr<CURLM, MultiDeleter>;
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

struct Session {
  // Declared first, destroyed last: the easy handle is never in it then.
  MultiPtr multi;
  EasyPtr easy;
  // A session that used the shared cookie store is never pooled again.
  bool poolable = true;
};

// A reset session from the pool, or a new one; null when curl cannot make one.
std::unique_ptr<Session> TakeSession();
void ReturnSession(std::unique_ptr<Session> session);
// Closes every pooled session and so its idle connections.
void CloseIdleSessions();

// Attaches the process-wide cookie store to the session and turns the cookie
// engine on; the session is then not pooled again.
void UseSharedCookies(Session& session);

// Bytes seen so far by the session's callbacks; drives the no-progress check.
// `cancel`, when set, stops this transfer as the cancel switch stops all.
// `deadline` ends the transfer however it is moving.
struct ProgressCounter {
  std::size_t bytes = 0;
  const std::atomic<bool>* cancel = nullptr;
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// How DriveTransfer ended: by curl (its result in `code`) or stopped by the
// driver itself.
enum class Stop { kNone, kCancelled, kNoProgress, kDeadline };
struct Driven {
  CURLcode code = CURLE_OK;  // meaningful when stop is kNone
  Stop stop = Stop::kNone;
};

// Runs the transfer already set up on session.easy to its end. Stops it with
// kCancelled when the cancel switch (or progress.cancel) is on, with
// kNoProgress when neither `progress` nor the upload count moved for
// `noProgress`, and with kDeadline once `progress.deadline` has passed.
Driven DriveTransfer(Session& session, const ProgressCounter& progress,
                     std::chrono::milliseconds noProgress);

}  // namespace transfer
