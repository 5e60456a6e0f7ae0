#include "platform/transfer/curl_session.h"

#include <array>
#include <mutex>
#include <vector>

#include "platform/transfer/transfer_limits.h"

namespace transfer {
namespace {

// Idle sessions kept for reuse; more are closed when returned.
constexpr std::size_t kMaxIdleSessions = 8;
// How long one wait for socket activity may last: the cancel switch and the
// no-progress time-out are checked at least this often.
constexpr int kPollIntervalMs = 50;

void EnsureCurlGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

class SessionPool {
 public:
  std::unique_ptr<Session> Take() {
    std::lock_guard lock(mutex_);
    if (idle_.empty()) return nullptr;
    auto s = std::move(idle_.back());
    idle_.pop_back();
    return s;
  }
  void Give(std::unique_ptr<Session> s) {
    std::lock_guard lock(mutex_);
    if (idle_.size() < kMaxIdleSessions) idle_.push_back(std::move(s));
  }
  void Clear() {
    std::vector<std::unique_ptr<Session>> closing;
    {
      std::lock_guard lock(mutex_);
      closing.swap(idle_);
    }
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<Session>> idle_;
};

SessionPool& Pool() {
  static SessionPool pool;
  return pool;
}

struct ShareDeleter {
  void operator()(CURLSH* h) const { curl_share_cleanup(h); }
};

class CookieShare {
 public:
  CookieShare() : share_(curl_share_init()) {
    if (!share_) return;
    curl_share_setopt(share_.get(), CURLSHOPT_LOCKFUNC, &CookieShare::Lock);
    curl_share_setopt(share_.get(), CURLSHOPT_UNLOCKFUNC, &CookieShare::Unlock);
    curl_share_setopt(share_.get(), CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  }
  CURLSH* get() const { return share_.get(); }

 private:
  static std::mutex& MutexFor(void* self, curl_lock_data data) {
    auto& mutexes = static_cast<CookieShare*>(self)->mutexes_;
    const auto i = static_cast<std::size_t>(data);
    return mutexes[i < mutexes.size() ? i : 0];
  }
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    MutexFor(self, data).lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) { MutexFor(self, data).unlock(); }

  std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
  std::unique_ptr<CURLSH, ShareDeleter> share_;
};

CookieShare& Cookies() {
  static CookieShare share;
  return share;
}

curl_off_t UploadedBytes(CURL* easy) {
  curl_off_t up = 0;
  curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &up);
  return up;
}

}  // namespace

std::unique_ptr<Session> TakeSession() {
  if (auto s = Pool().Take()) {
    curl_easy_reset(s->easy.get());
    return s;
  }
  EnsureCurlGlobalInit();
  auto s = std::make_unique<Session>();
  s->multi.reset(curl_multi_init());
  s->easy.reset(curl_easy_init());
  if (!s->multi || !s->easy) return nullptr;
  return s;
}

void ReturnSession(std::unique_ptr<Session> session) {
  if (session && session->poolable) Pool().Give(std::move(session));
}

void CloseIdleSessions() { Pool().Clear(); }

void UseSharedCookies(Session& session) {
  session.poolable = false;
  if (CURLSH* share = Cookies().get()) curl_easy_setopt(session.easy.get(), CURLOPT_SHARE, share);
  curl_easy_setopt(session.easy.get(), CURLOPT_COOKIEFILE, "");
}

Driven DriveTransfer(Session& session, const ProgressCounter& progress,
                     std::chrono::milliseconds noProgress) {
  using Clock = std::chrono::steady_clock;
  CURLM* multi = session.multi.get();
  CURL* easy = session.easy.get();
  const auto cancelled = [&progress] {
    return TransfersCancelled() || (progress.cancel != nullptr && progress.cancel->load());
  };
  if (cancelled()) return {.stop = Stop::kCancelled};
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return {.code = CURLE_FAILED_INIT};

  Driven result{.code = CURLE_RECV_ERROR};  // stands unless curl reports an end
  auto lastMove = Clock::now();
  std::size_t lastBytes = progress.bytes;
  curl_off_t lastUp = 0;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    int left = 0;
    bool done = false;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg == CURLMSG_DONE) {
        result.code = msg->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    if (cancelled()) {
      result.stop = Stop::kCancelled;
      break;
    }
    const curl_off_t up = UploadedBytes(easy);
    const auto now = Clock::now();
    if (progress.bytes != lastBytes || up != lastUp) {
      lastBytes = progress.bytes;
      lastUp = up;
      lastMove = now;
    } else if (now - lastMove > noProgress) {
      result.stop = Stop::kNoProgress;
      break;
    }
    if (now > progress.deadline) {
      result.stop = Stop::kDeadline;
      break;
    }
    if (curl_multi_poll(multi, nullptr, 0, kPollIntervalMs, nullptr) != CURLM_OK) break;
  }
  // Removing an unfinished transfer closes its connection; a finished one
  // stays in the multi handle's cache for the next transfer.
  curl_multi_remove_handle(multi, easy);
  return result;
}

}  // namespace transfer
