// A crafted gallery site and a headless program run for the update's and
// the page loader's tests.
//
// CraftedSite serves the pages a test writes on a loopback server, counts
// the requests for every path and the most pages (anything outside /p/,
// where the photos are) it had in flight at once; its gate holds chosen
// paths back once they are counted. Program runs a test body as the window's creation routine of a
// headless runtime (every other routine a recorder unless hooked), records
// every status text in order, and closes the window after the body.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/site_base.h"
#include "base/bytes.h"
#include "demo/photo_art.h"
#include "demo/photo_files.h"
#include "demo/request_gate.h"
#include "platform/transfer/transfer.h"
#include "runtime/core/headless_front.h"
#include "runtime/core/runtime.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/runtime/core/test_program.h"
#include "program/pages/main_window_form.h"
#include "program/pages/page_loads.h"

namespace pixaroo {

inline const std::string kListPath = "/nvshengzhenrenxiu/list_60_";
// <div class="pagination"><a>首页</a>
inline const std::string kListEnd = "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a>";
inline const std::string kPictureStart = "<div style=\"text-align: center\">";
inline const std::string kPictureEnd = "\t\t\t\t\t\t</div>";

// A site whose pages the test writes; counts the requests for every path.
class CraftedSite {
 public:
  CraftedSite() : png_(demo::EncodePng(demo::PaintPhoto(20, 30, 1, 1))) {
    OverrideSiteBase(server_.Url(""));
  }
  ~CraftedSite() {
    gate_.Close();
    OverrideSiteBase("");
    // Kept-alive connections would hold the server's stop for seconds.
    transfer::CloseIdleConnections();
  }

  // `seen` runs on the server's thread before the answer, while the
  // program waits for it.
  void Page(const std::string& path, const std::string& body, const std::string& type = "text/html",
            std::function<void()> seen = {}) {
    server_.server().Get(
        path, [this, path, body, type, seen](const httplib::Request&, httplib::Response& res) {
          Begin(path);
          gate_.Pass(path);
          if (seen) seen();
          res.set_content(body, type);
          End(path);
        });
  }
  void Photo(const std::string& path, std::function<void()> seen = {}) {
    Page(path, png_, "image/png", std::move(seen));
  }
  // A photo of its own look (`number` painted on it).
  void Photo(const std::string& path, int number, std::function<void()> seen = {}) {
    Page(path, demo::EncodePng(demo::PaintPhoto(20, 30, number, 1)), "image/png", std::move(seen));
  }
  // Counts, then answers 404 with an empty body.
  void Missing(const std::string& path, std::function<void()> seen = {}) {
    server_.server().Get(path, [this, path, seen](const httplib::Request&, httplib::Response& res) {
      Begin(path);
      gate_.Pass(path);
      if (seen) seen();
      res.status = 404;
      End(path);
    });
  }
  int Requests(const std::string& path) {
    std::lock_guard lock(mutex_);
    return counts_[path];
  }
  std::map<std::string, int> AllRequests() {
    std::lock_guard lock(mutex_);
    return counts_;
  }
  // The most page requests in flight (counted and not yet answered, held
  // at the gate or not) at the same time so far.
  int MostPagesInFlight() {
    std::lock_guard lock(mutex_);
    return mostPagesInFlight_;
  }
  void ResetCounts() {
    std::lock_guard lock(mutex_);
    counts_.clear();
    mostPagesInFlight_ = 0;
  }
  testing::LoopbackServer& server() { return server_; }
  demo::RequestGate& Gate() { return gate_; }
  // Waits until at most `count` page requests are in flight (true), or
  // `limit` passes.
  bool WaitUntilPagesInFlight(int count, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    std::unique_lock lock(mutex_);
    return answered_.wait_for(lock, limit, [&] { return pagesInFlight_ <= count; });
  }

 private:
  static bool IsPage(const std::string& path) { return path.rfind("/p/", 0) != 0; }
  void Begin(const std::string& path) {
    std::lock_guard lock(mutex_);
    ++counts_[path];
    if (IsPage(path)) mostPagesInFlight_ = std::max(mostPagesInFlight_, ++pagesInFlight_);
  }
  void End(const std::string& path) {
    {
      std::lock_guard lock(mutex_);
      if (IsPage(path)) --pagesInFlight_;
    }
    answered_.notify_all();
  }
  demo::RequestGate gate_;  // outlives the server's serving threads
  testing::LoopbackServer server_;
  std::string png_;
  std::mutex mutex_;
  std::condition_variable answered_;
  std::map<std::string, int> counts_;
  int pagesInFlight_ = 0;
  int mostPagesInFlight_ = 0;
};

// Runs `body` as the window's creation routine of a headless program run,
// then closes the window.
struct Program {
  testing::TestProgram program;
  korvex::HeadlessFront* front = nullptr;
  std::unique_ptr<korvex::Runtime> runtime;
  std::mutex statusMutex;
  std::vector<std::string> statusTexts;               // every status text, in order
  std::vector<korvex::UnitModel::Progress> progress;  // every progress bar change

  Program() {
    auto f = std::make_unique<korvex::HeadlessFront>();
    front = f.get();
    runtime = std::make_unique<korvex::Runtime>(program.Program(), std::move(f));
    front->OnCreated([](korvex::HeadlessFront& f) { f.Close(); });
  }
  int Run(std::function<void()> body) {
    program.Hook(Routine::OnWindowCreated, [this, body = std::move(body)] {
      runtime->Model()->SetObserver([this](const korvex::UnitChange& change) {
        std::lock_guard lock(statusMutex);
        if (change.what == korvex::UnitChange::What::StatusText) {
          statusTexts.push_back(runtime->Model()->StatusText(change.unit, 0));
        } else if (change.what == korvex::UnitChange::What::StatusProgress) {
          progress.push_back(runtime->Model()->StatusProgress(change.unit));
        }
      });
      for (int k = 0; k < 6; ++k) kPictureIndices[k]->store(k);
      NewWindowPageLoads();  // as the window's creation routine does
      body();
    });
    return runtime->Run();
  }
  std::vector<std::string> Items() { return runtime->Model()->ListItems(unit_id::kListBox1); }
  std::string Status() { return runtime->Model()->StatusText(unit_id::kStatusBar1, 0); }
  std::vector<std::string> StatusTexts() {
    std::lock_guard lock(statusMutex);
    return statusTexts;
  }
  std::vector<korvex::UnitModel::Progress> Progress() {
    std::lock_guard lock(statusMutex);
    return progress;
  }
  base::Bytes Picture(int box) {
    auto v = runtime->Model()->ReadProperty(kPictureBoxIds[box - 1], korvex::kPropPicture);
    auto* b = std::get_if<base::Bytes>(&v);
    return b != nullptr ? *b : base::Bytes();
  }
  // Waits until no worker runs (true), or `limit` passes: the page loads
  // begun have written their boxes.
  bool WaitUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (runtime->Workers().Running() != 0) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }
  bool CompletionStarted() {
    for (auto offset : program.Offsets()) {
      if (offset == RoutineOffset(Routine::UpdateCompletionThread)) return true;
    }
    return false;
  }
};

}  // namespace pixaroo
