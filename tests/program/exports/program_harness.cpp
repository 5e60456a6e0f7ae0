#include "tests/program/exports/program_harness.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "program/routines/site_base.h"
#include "program/routines/unit_ids.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/build_image.h"

namespace pixaroo::testing {
namespace {

// `image` written, read and loaded as the runtime does with pixaroo's;
// kept until the process ends, as a program's memory is (the cells and
// texts of one harness may still be read while the next one starts).
const korvex::image::LoadedProgram& Load(const korvex::image::Image& image) {
  static std::vector<std::unique_ptr<korvex::image::LoadedProgram>> kept;
  auto refused = [](korvex::image::Refusal r, const std::string& detail) {
    std::fprintf(stderr, "program harness: the image is refused (%s): %s\n",
                 korvex::image::RefusalName(r), detail.c_str());
    std::abort();
  };
  auto read = korvex::image::ReadImage(korvex::image::WriteImage(image));
  if (!read.ok()) refused(read.error().refusal, read.error().detail);
  auto loaded = korvex::image::LoadProgram(*read);
  if (!loaded.ok()) refused(loaded.error().refusal, loaded.error().detail);
  return *kept.emplace_back(std::move(*loaded));
}

}  // namespace

ProgramHarness::ProgramHarness(demo::DemoSiteOptions site)
    : ProgramHarness(builder::BuildProgramImage(), std::move(site)) {}

ProgramHarness::ProgramHarness(const korvex::image::Image& image, demo::DemoSiteOptions site)
    : site_(demo::DemoSite::Start(0, site)) {
  if (site_) OverrideSiteBase(site_->BaseAddress());
  transfer::ResetTransferCancel();
  korvex::RuntimeOptions options;
  options.cancelTransfers = [] { transfer::CancelAllTransfers(); };
  auto front = std::make_unique<korvex::HeadlessFront>();
  front_ = front.get();
  runtime_ = std::make_unique<korvex::Runtime>(Load(image).Program(), std::move(front),
                                               std::move(options));
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
