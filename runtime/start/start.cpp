// The runtime library's one export. GetNewSock(1000) hands out the start
// function, which reads, checks and binds the program image, builds the runtime with the Qt
// front and runs the program to its end.
#include <algorithm>
#include <cerrno>  // program_invocation_short_name
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/shell/run_program.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/core/runtime.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/qt/display_check.h"
#include "runtime/qt/qt_front.h"
#include "runtime/services/program_image.h"

namespace korvex {
namespace {

constexpr int kExitBadImage = 2;
constexpr int kExitNoDisplay = 8;

// The image's bytes, as long as its header says; empty when there is no image.
std::span<const std::uint8_t> ImageBytes(const void* image) {
  if (image == nullptr) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(image);
  std::uint32_t size = 0;
  for (int i = 3; i >= 0; --i) size = (size << 8) | bytes[image::kImageSizeField + i];
  return {bytes, std::max(size, image::kHeaderSize)};
}

int StartProgram(const void* imageAddress) {
  auto read = image::ReadImage(ImageBytes(imageAddress));
  image::Result<std::unique_ptr<image::LoadedProgram>> loaded;
  if (read.ok()) loaded = image::LoadProgram(*read.value, &image::ExecutableSymbol);
  if (!loaded.ok()) {
    const auto& refused = read.ok() ? loaded.refusal : read.refusal;
    const auto& detail = read.ok() ? loaded.detail : read.detail;
    std::fprintf(stderr, "korvex: the program image is refused (%s): %s\n",
                 image::RefusalName(refused), detail.c_str());
    return kExitBadImage;
  }
  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, missing.c_str());
    return kExitNoDisplay;
  }
  const Program program = (*loaded.value)->Program();
  RuntimeOptions options;
  options.cancelTransfers = [] { transfer::CancelAllTransfers(); };
  options.runProgram = [](const std::string& line, bool wait) {
    platform::shell::RunCommandLine(line, wait);
  };
  Runtime runtime(program, std::make_unique<QtFront>(), std::move(options));
  return runtime.Run();
}

}  // namespace
}  // namespace korvex

extern "C" __attribute__((visibility("default"))) korvex::StartFunction GetNewSock(
    std::uint32_t magic) {
  return magic == korvex::kGetNewSockMagic ? &korvex::StartProgram : nullptr;
}
