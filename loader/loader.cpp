// The executable's entry: finds the runtime library next to itself, asks it
// for its start function and hands it the program image. Nothing of the
// runtime is linked in; the library is opened at run time.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "loader/program_image.h"
#include "runtime/services/program_image.h"
#include "runtime/text/files.h"

namespace {

constexpr const char* kRuntimeFile = "korvex.fnr";
constexpr const char* kStartExport = "GetNewSock";
constexpr const char* kFailureText = "Not found the kernel library or the kernel library is invalid!";
constexpr const char* kFailureCaption = "Error";

int Fail(void* library) {
  if (library != nullptr) ::dlclose(library);
  std::fprintf(stderr, "%s: %s\n", kFailureCaption, kFailureText);
  return -1;
}

}  // namespace

int main() {
  const std::string path = korvex::ProgramDirectory() + kRuntimeFile;
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return Fail(nullptr);
  using GetNewSockFn = korvex::StartFunction (*)(std::uint32_t);
  auto* getNewSock = reinterpret_cast<GetNewSockFn>(::dlsym(library, kStartExport));
  if (getNewSock == nullptr) return Fail(library);
  const korvex::StartFunction start = getNewSock(korvex::kGetNewSockMagic);
  if (start == nullptr) return Fail(library);
  // The library stays loaded until the process ends.
  return start(pixaroo::ProgramImage());
}
