// A stand-in for the runtime library, built once per behaviour:
//   FAKE_EXIT_CODE  GetNewSock(1000) hands out a start function that checks
//                   the image's signature and returns this code (3: bad image);
//   FAKE_REFUSES    GetNewSock returns null;
//   FAKE_NO_EXPORT  there is no GetNewSock at all.
// Each says "fake runtime unloaded" on stderr when it leaves the process, so
// a test can see whether the loader freed it before reporting.
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "runtime/services/program_image.h"

namespace {

__attribute__((destructor)) void Unloaded() {
  static const char kText[] = "fake runtime unloaded\n";
  const ssize_t written = ::write(2, kText, sizeof kText - 1);
  static_cast<void>(written);
}

#ifdef FAKE_EXIT_CODE
int Start(const void* image) {
  // The program image starts with its signature "WJ".
  if (image == nullptr || std::memcmp(image, "WJ", 2) != 0) return 3;
  return FAKE_EXIT_CODE;
}
#endif

}  // namespace

#ifdef FAKE_NO_EXPORT
extern "C" __attribute__((visibility("default"))) int NotTheStartExport() { return 0; }
#else
extern "C" __attribute__((visibility("default"))) korvex::StartFunction GetNewSock(
    std::uint32_t magic) {
#ifdef FAKE_EXIT_CODE
  return magic == korvex::kGetNewSockMagic ? &Start : nullptr;
#else
  static_cast<void>(magic);
  return nullptr;
#endif
}
#endif
