#include "tests/program/program_harness.h"

#include <thread>

#include "app/dll_commands.h"
#include "app/entry.h"
#include "app/runtime_link.h"
#include "app/site_base.h"
#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "program/routine_table.h"
#include "runtime/form/writer.h"
#include "ui/main_window_form.h"

namespace pixaroo::testing {

ProgramHarness::ProgramHarness(demo::DemoSiteOptions site)
    : site_(demo::DemoSite::Start(0, site)), form_(korvex::form::WriteForm(MainWindowForm())) {
  if (site_) OverrideSiteBase(site_->BaseAddress());
  transfer::ResetTransferCancel();
  korvex::Program program;
  program.form = form_;
  program.routineAt = &RoutineAt;
  program.entryOffset = RoutineOffset(Routine::EntryRoutine);
  program.bindServices = &BindRuntime;
  program.dllCommands = kDllCommands;
  korvex::RuntimeOptions options;
  options.cancelTransfers = [] { transfer::CancelAllTransfers(); };
  auto front = std::make_unique<korvex::HeadlessFront>();
  front_ = front.get();
  runtime_ = std::make_unique<korvex::Runtime>(program, std::move(front), std::move(options));
}

ProgramHarness::~ProgramHarness() {
  runtime_.reset();
  // Kept-alive connections would hold the demo site's shutdown for seconds.
  transfer::CloseIdleConnections();
  OverrideSiteBase("");
  transfer::ResetTransferCancel();
}

int ProgramHarness::Run(std::function<void(ProgramHarness&)> script) {
  front_->OnCreated([this, script = std::move(script)](korvex::HeadlessFront&) {
    // The creation routine was queued first; the script runs after it.
    front_->Post([this, script] { script(*this); });
  });
  return runtime_->Run();
}

void ProgramHarness::Click(std::uint32_t unit) { front_->Raise(unit, 0); }

void ProgramHarness::RightClick(std::uint32_t unit) { front_->Raise(unit, -4); }

void ProgramHarness::Close() { front_->Close(); }

void ProgramHarness::Then(std::function<void(ProgramHarness&)> step) {
  front_->Post([this, step = std::move(step)] { step(*this); });
}

bool ProgramHarness::WaitForWorkers(std::chrono::milliseconds limit) {
  return runtime_->Workers().JoinAll(limit);
}

bool ProgramHarness::WaitUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::vector<std::string> ProgramHarness::IndexItems() const {
  return runtime_->Model()->ListItems(unit_id::kListBox1);
}

std::string ProgramHarness::StatusText() const {
  return runtime_->Model()->StatusText(unit_id::kStatusBar1, 0);
}

base::Bytes ProgramHarness::Picture(int box) const {
  if (box < 1 || box > 6) return {};
  const auto v = runtime_->Model()->ReadProperty(kPictureBoxIds[static_cast<std::size_t>(box - 1)],
                                                 korvex::kPropPicture);
  const auto* bytes = std::get_if<base::Bytes>(&v);
  return bytes != nullptr ? *bytes : base::Bytes();
}

bool ProgramHarness::UpdateButtonDisabled() const {
  const auto v = runtime_->Model()->ReadProperty(unit_id::kButton1, korvex::kPropDisabled);
  const auto* disabled = std::get_if<bool>(&v);
  return disabled != nullptr && *disabled;
}

}  // namespace pixaroo::testing
