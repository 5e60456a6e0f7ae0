// The executable's entry: finds the runtime library, asks it for its start
// function and hands it the program image. The executable carries the
// program's routines but none of the runtime's code: the library is opened
// at run time, first next to the executable, else from the runtime's
// installation folder that the registry names.
//
// Paths are held whole, however long: nothing is cut to a fixed buffer.
#include <malloc.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/exit_codes.h"
#include "base/gbk.h"
#include "loader/command_line.h"
#include "loader/site_config.h"
#include "platform/module/message_box.h"
#include "platform/module/module.h"
#include "platform/registry/registry.h"
#include "program/exports/embedded_image.h"
#include "program/routines/site_base.h"

namespace {

constexpr const char* kLocalRuntimeFile = "korvex.fnr";
constexpr const char* kInstalledRuntimeFile = "korvex.fne";
constexpr const char* kStartExport = "GetNewSock";
// The start export takes this number and hands out the start function, which
// runs the program in the image it is given and returns the exit code. This
// is the runtime library's binary interface; nothing of it is linked in.
constexpr std::uint32_t kGetNewSockArgument = 1000;
using StartFunction = int (*)(const void* image);
constexpr const char* kInstallKey = "Software\\Zorith\\Quillet\\Install";
constexpr const char* kInstallPathValue = "Path";
constexpr const char* kFailureText =
    "Not found the kernel library or the kernel library is invalid!";
constexpr const char* kFailureCaption = "Error";

// The path buffer a short path is read into; longer ones go to the heap.
constexpr std::size_t kPathBuffer = 260;
// Longest module path or installation folder the loader takes.
constexpr std::size_t kMaxPath = 32768;

struct LibraryFree {
  void operator()(kernel32::ModuleHandle* m) const { kernel32::FreeLibrary(m); }
};
using Library = std::unique_ptr<kernel32::ModuleHandle, LibraryFree>;

struct KeyClose {
  void operator()(advapi32::RegKey* k) const { advapi32::RegCloseKey(k); }
};
using Key = std::unique_ptr<advapi32::RegKey, KeyClose>;

// The executable's folder with its trailing '/', or nothing when the
// executable's path is unknown.
std::optional<std::string> ModuleFolder() {
  std::vector<char> buf(kPathBuffer);
  for (;;) {
    const auto size = static_cast<kernel32::DWORD>(buf.size());
    const kernel32::DWORD n = kernel32::GetModuleFileNameA(nullptr, buf.data(), size);
    if (n == 0) return std::nullopt;
    if (n < size) {
      const std::string path(buf.data(), n);
      const std::size_t slash = path.rfind('/');
      if (slash == std::string::npos) return std::nullopt;
      return path.substr(0, slash + 1);
    }
    if (buf.size() >= kMaxPath) return std::nullopt;
    buf.resize(buf.size() * 2);
  }
}

// The text in a value's bytes, up to its first NUL.
std::string ValueText(const std::uint8_t* data, advapi32::DWORD size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  return text.substr(0, text.find('\0'));
}

// The runtime's installation folder as the registry names it.
std::optional<std::string> InstallFolder() {
  advapi32::HKEY raw = nullptr;
  if (advapi32::RegOpenKeyExA(advapi32::HKEY_CURRENT_USER, kInstallKey, 0, advapi32::KEY_READ,
                              &raw) != advapi32::ERROR_SUCCESS) {
    return std::nullopt;
  }
  const Key key(raw);
  std::array<std::uint8_t, kPathBuffer> buf{};
  advapi32::DWORD size = kPathBuffer - 1;
  advapi32::LONG r =
      advapi32::RegQueryValueExA(raw, kInstallPathValue, nullptr, nullptr, buf.data(), &size);
  if (r == advapi32::ERROR_SUCCESS) return ValueText(buf.data(), size);
  if (r != advapi32::ERROR_MORE_DATA || size > kMaxPath) return std::nullopt;
  // Too long for the path buffer: read it whole.
  std::vector<std::uint8_t> heap(size);
  r = advapi32::RegQueryValueExA(raw, kInstallPathValue, nullptr, nullptr, heap.data(), &size);
  if (r != advapi32::ERROR_SUCCESS) return std::nullopt;
  return ValueText(heap.data(), size);
}

// True when `folder` already ends with a separator: '/', or a '\' that is a
// character of its own (not the trail byte of a double-byte character).
bool EndsWithSeparator(const std::string& folder) {
  if (folder.empty()) return false;
  if (folder.back() == '/') return true;
  return folder.back() == '\\' && base::IsGbkBoundary(folder, folder.size() - 1);
}

Library LoadRuntime() {
  if (const std::optional<std::string> folder = ModuleFolder()) {
    Library local(kernel32::LoadLibraryA((*folder + kLocalRuntimeFile).c_str()));
    if (local) return local;
  }
  std::optional<std::string> installed = InstallFolder();
  if (!installed) return nullptr;
  if (!EndsWithSeparator(*installed)) *installed += '/';
  return Library(kernel32::LoadLibraryA((*installed + kInstalledRuntimeFile).c_str()));
}

int Fail() {
  user32::MessageBoxA(nullptr, kFailureText, kFailureCaption, user32::MB_OK | user32::MB_ICONSTOP);
  return base::kExitNoRuntime;
}

// Runs the program; the result becomes the process exit code. Every failure
// frees what it loaded before it reports.
int RunLoader() {
  Library runtime = LoadRuntime();
  if (!runtime) return Fail();
  using GetNewSockFn = StartFunction (*)(std::uint32_t);
  const auto getNewSock =
      reinterpret_cast<GetNewSockFn>(kernel32::GetProcAddress(runtime.get(), kStartExport));
  if (getNewSock == nullptr) {
    runtime.reset();
    return Fail();
  }
  const StartFunction start = getNewSock(kGetNewSockArgument);
  if (start == nullptr) {
    runtime.reset();
    return Fail();
  }
  // The runtime stays loaded for the life of the process.
  static_cast<void>(runtime.release());
  return start(pixaroo::ProgramImage());
}

}  // namespace

// Allocations from this size on get a mapping of their own.
constexpr int kOwnMappingFrom = 1 << 20;
// Heaps shared by the threads.
constexpr int kHeaps = 2;

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const pixaroo::CommandLine line = pixaroo::ParseCommandLine(args);
  switch (line.action) {
    case pixaroo::CommandLine::Action::Help:
      std::fputs(pixaroo::HelpText("pixaroo").c_str(), stdout);
      return 0;
    case pixaroo::CommandLine::Action::Version:
      std::printf("pixaroo %s\n", std::string(pixaroo::kVersionText).c_str());
      return 0;
    case pixaroo::CommandLine::Action::Refuse:
      std::fprintf(stderr, "pixaroo: %s (see pixaroo --help)\n", line.error.c_str());
      return base::kExitUsage;
    case pixaroo::CommandLine::Action::Run:
      break;
  }
  std::string siteError;
  const std::optional<std::string> site = pixaroo::ChooseSiteBase(line.siteBase, &siteError);
  if (!site) {
    std::fprintf(stderr, "pixaroo: %s (see pixaroo --help)\n", siteError.c_str());
    return base::kExitUsage;
  }
  if (!site->empty()) pixaroo::OverrideSiteBase(*site);
  // Photos pass through buffers of several megabytes on short-lived worker
  // threads. glibc raises its threshold for a buffer's own mapping with every
  // large free, and then keeps freed buffers in its per-thread heaps; a fixed
  // threshold gives each such buffer a mapping that is returned when freed.
  // What is left on the heaps is small and shared by many threads (workers,
  // the scaling pool, the network): two heaps serve them, where one per
  // thread would each keep its own freed blocks resident.
  mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
  mallopt(M_ARENA_MAX, kHeaps);
  kernel32::ExitProcess(static_cast<kernel32::UINT>(RunLoader()));
}
