// The runtime library's one export. GetNewSock(1000) hands out the start
// function, which checks the program image, builds the runtime with the Qt
// front and runs the program to its end.
#include <cerrno>  // program_invocation_short_name
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/shell/run_program.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/core/runtime.h"
#include "runtime/qt/display_check.h"
#include "runtime/qt/qt_front.h"
#include "runtime/services/program_image.h"

namespace korvex {
namespace {

constexpr int kExitBadImage = 2;
constexpr int kExitNoDisplay = 8;

int StartProgram(const void* image) {
  const auto* dev = static_cast<const DevProgramImage*>(image);
  if (dev == nullptr ||
      std::memcmp(dev->signature, kDevImageSignature, sizeof kDevImageSignature) != 0 ||
      dev->size != sizeof(DevProgramImage) || dev->form == nullptr) {
    std::fprintf(stderr, "korvex: the program image is damaged or of an unknown kind\n");
    return kExitBadImage;
  }
  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, missing.c_str());
    return kExitNoDisplay;
  }
  Program program;
  program.form = std::span<const std::uint8_t>(dev->form, dev->formSize);
  program.routineAt = dev->routineAt;
  program.entryOffset = dev->entryOffset;
  program.bindServices = dev->bindServices;
  program.dllCommands = std::span<const DllCommandName>(dev->dllCommands, dev->dllCommandCount);
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
