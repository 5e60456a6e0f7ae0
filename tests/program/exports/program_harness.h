// ProgramHarness: the real program on the runtime with the headless front,
// against the demo gallery served on an ephemeral loopback port. The
// program is the image the builder writes (or a test's changed copy of it),
// read and loaded by the runtime's reader and loader against the routines
// the test executable exports, as pixaroo's image is.
//
// A test gives Run() a script; the script runs on the window thread once the
// window exists and its creation routine has run, and drives the program the
// way a user would (Click, RightClick, answers for menus and dialogs), then
// closes the window (Close). Input is queued: what must happen after a
// click's routine goes in a Then() step, e.g.
//   h.Run([](ProgramHarness& p) {
//     p.Click(unit_id::kButton1);
//     p.Then([](ProgramHarness& p) { p.WaitForWorkers(); p.Close(); });
//   }); Helpers that wait (WaitForWorkers, WaitUntil)
// are bounded and may be called from the script.
//
// One harness at a time per process (the runtime and siteBase are process
// wide).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "demo/demo_site.h"
#include "runtime/core/headless_front.h"
#include "runtime/core/runtime.h"
#include "runtime/image/image.h"

namespace pixaroo::testing {

class ProgramHarness {
 public:
  // The demo gallery answers as `site` says (at once by default).
  explicit ProgramHarness(demo::DemoSiteOptions site = {});
  // The program in `image` instead; the harness aborts when it is refused.
  explicit ProgramHarness(const korvex::image::Image& image, demo::DemoSiteOptions site = {});
  ~ProgramHarness();
  ProgramHarness(const ProgramHarness&) = delete;
  ProgramHarness& operator=(const ProgramHarness&) = delete;

  // Runs the program to its end; returns its exit code. `script` runs on the
  // window thread after the window's creation routine.
  int Run(std::function<void(ProgramHarness&)> script);

  korvex::HeadlessFront& Front() { return *front_; }
  korvex::Runtime& Runtime() { return *runtime_; }
  demo::DemoSite& Site() { return *site_; }

  // Simulated user input, handled on the window thread after the current
  // script step (queued like real input).
  void Click(std::uint32_t unit);
  void RightClick(std::uint32_t unit);
  void Close();
  // Runs `step` on the window thread after the input queued so far has been
  // handled (a click's routine, say); the way to go on after a Click.
  void Then(std::function<void(ProgramHarness&)> step);

  // Waits until every worker thread has ended (true) or `limit` passes.
  bool WaitForWorkers(std::chrono::milliseconds limit = std::chrono::seconds(60));
  // Polls `condition` until it holds (true) or `limit` passes.
  bool WaitUntil(const std::function<bool()>& condition,
                 std::chrono::milliseconds limit = std::chrono::seconds(60));

  // The window's state, as the units hold it now.
  std::vector<std::string> IndexItems() const;
  std::string StatusText() const;
  base::Bytes Picture(int box) const;  // box 1..6
  bool UpdateButtonDisabled() const;

 private:
  std::unique_ptr<demo::DemoSite> site_;
  korvex::HeadlessFront* front_ = nullptr;
  std::unique_ptr<korvex::Runtime> runtime_;
};

}  // namespace pixaroo::testing
