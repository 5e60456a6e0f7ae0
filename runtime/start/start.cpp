// The runtime library's one export. GetNewSock(1000) hands out the start
// function, which reads, checks and binds the program image, builds the
// runtime with the Qt front and runs the program to its end. An image (or
// DLL command table) it refuses is reported through the same failure
// message the loader uses: a message window where a display exists, stderr
// always; the process then ends with base::kExitRefusedImage.
#include <cerrno>  // program_invocation_short_name
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/exit_codes.h"
#include "base/little_endian.h"
#include "platform/module/message_box.h"
#include "platform/shell/run_program.h"
#include "platform/transfer/transfer_limits.h"
#include "runtime/core/runtime.h"
#include "runtime/dll/dll_commands.h"
#include "runtime/image/executable_symbols.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/qt/display_check.h"
#include "runtime/qt/qt_front.h"
#include "runtime/services/program_image.h"

namespace korvex {
namespace {

// True when [begin, begin + size) lies inside one loaded segment of the
// module that holds `begin`.
bool InOneLoadedSegment(const std::uint8_t* begin, std::size_t size) {
  const auto segment = image::LoadedSegmentOf(begin, false);
  return segment && size <= segment->size() - static_cast<std::size_t>(begin - segment->data());
}

// The image's bytes, as long as its header says, once the size word is
// checked: within kMaxImageSize and inside the module that carries the
// image. Empty, with `why` said, otherwise.
std::span<const std::uint8_t> ImageBytes(const void* image, std::string* why) {
  const auto* bytes = static_cast<const std::uint8_t*>(image);
  if (bytes == nullptr || !InOneLoadedSegment(bytes, image::kHeaderSize)) {
    *why = "no image header at the address handed over";
    return {};
  }
  const std::uint32_t size = base::DecodeFixed32(bytes + image::kImageSizeField);
  if (size < image::kHeaderSize || size > kMaxImageSize || !InOneLoadedSegment(bytes, size)) {
    *why = "the header's image size " + std::to_string(size) +
           " is out of bounds or runs past the executable's image";
    return {};
  }
  return {bytes, size};
}

int Refuse(const std::string& what) {
  const std::string text = "The program image is refused: " + what;
  user32::MessageBoxA(nullptr, text.c_str(), "Error", user32::MB_OK | user32::MB_ICONSTOP);
  return base::kExitRefusedImage;
}

int StartProgram(const void* imageAddress) {
  std::string why;
  const auto bytes = ImageBytes(imageAddress, &why);
  if (bytes.empty())
    return Refuse(std::string(image::RefusalName(image::Refusal::ImageSize)) + ": " + why);
  auto read = image::ReadImage(bytes);
  if (!read.ok()) {
    return Refuse(std::string(image::RefusalName(read.error().refusal)) + ": " +
                  read.error().detail);
  }
  auto loaded = image::LoadProgram(*read);
  if (!loaded.ok())
    return Refuse(std::string(image::RefusalName(loaded.error().refusal)) + ": " +
                  loaded.error().detail);
  const Program program = (*loaded)->Program();
  if (!dll::Resolve(program.dllCommands, &why)) return Refuse("DLL command table: " + why);
  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, missing.c_str());
    return base::kExitNoDisplay;
  }
  RuntimeOptions options;
  options.cancelTransfers = [] { transfer::CancelAllTransfers(); };
  options.runProgram = [](const std::string& line, bool wait,
                          std::function<void(const std::string&)> notOpened) {
    const std::string link = platform::shell::LinkOf(line);
    platform::shell::Ended ended;
    if (!link.empty()) {
      ended = [link, notOpened = std::move(notOpened)](int exitCode) {
        if (exitCode != 0) notOpened(link);
      };
    }
    if (!platform::shell::RunCommandLine(line, wait, std::move(ended)) && !link.empty()) {
      notOpened(link);  // no opener at all
    }
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
