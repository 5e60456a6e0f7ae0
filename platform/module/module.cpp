#include "platform/module/module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace kernel32 {
namespace {

// Longest path GetModuleFileNameA looks up; the platform's long-path limit.
constexpr std::size_t kMaxModulePath = 32768;
constexpr std::size_t kFirstReadLink = 256;

thread_local DWORD lastError = ERROR_SUCCESS;

// The executable's path, read whole; empty when unknown or absurdly long.
std::string ExecutablePath() {
  for (std::size_t capacity = kFirstReadLink; capacity <= kMaxModulePath; capacity *= 2) {
    std::string buf(capacity, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), capacity);
    if (n <= 0) return {};
    // A result that fills the buffer may have been cut short: try a bigger one.
    if (static_cast<std::size_t>(n) < capacity) return buf.substr(0, static_cast<std::size_t>(n));
  }
  return {};
}

std::string LibraryPath(HMODULE module) {
  link_map* map = nullptr;
  if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) {
    return {};
  }
  return map->l_name;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  lastError = ERROR_SUCCESS;
  if (fileName == nullptr || size == 0) return 0;
  const std::string path = module == nullptr ? ExecutablePath() : LibraryPath(module);
  if (path.empty()) {
    fileName[0] = '\0';
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.data(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(fileName, path.data(), size - 1);
  fileName[size - 1] = '\0';
  lastError = ERROR_INSUFFICIENT_BUFFER;
  return size;
}

DWORD GetLastError() { return lastError; }

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == '\0') return nullptr;
  return static_cast<HMODULE>(::dlopen(fileName, RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  if (module == nullptr || procName == nullptr) return nullptr;
  return reinterpret_cast<FARPROC>(::dlsym(module, procName));
}

BOOL FreeLibrary(HMODULE module) { return module != nullptr && ::dlclose(module) == 0; }

void ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }

}  // namespace kernel32
