// The handle objects behind HINTERNET and the live set that checks them.
// Internal to the WinINet layer; safe on any thread.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "base/bytes.h"
#include "platform/wininet/wininet.h"

namespace wininet {

// The hooks of the test seam (wininet.h), guarded by HooksMutex. Only the
// test-only library pixaroo_wininet_testing sets them; otherwise they stay
// empty.
std::mutex& HooksMutex();
TestHooks& Hooks();

enum class HandleKind { kInternet, kConnect, kRequest };

struct Response {
  std::string rawHeaders;
  long status = 0;
  base::Bytes body;
  std::size_t readPos = 0;
};

struct InternetObject {
  HandleKind kind = HandleKind::kInternet;
  // Internet handle and everything under it.
  std::string agent;
  DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
  std::string proxyList;
  // Connection handle and requests under it.
  std::string host;
  INTERNET_PORT port = 0;
  // Request handle.
  std::string verb;
  std::string path;
  DWORD flags = 0;
  std::mutex requestMutex;             // one call at a time on a request
  std::unique_ptr<Response> response;  // guarded by requestMutex
};

// Adds a new object to the live set; returns its handle.
HINTERNET Register(std::unique_ptr<InternetObject> object);
// The live object of that kind behind `h` (kept alive by the result even if
// another thread closes the handle), or null with the thread's last error set.
std::shared_ptr<InternetObject> Lookup(HINTERNET h, HandleKind kind);
void SetLastError(DWORD error);
// Reports `line` to the test trace; true when `call` must fail for the test.
bool TraceAndCheckFail(const char* call, const std::string& line);

}  // namespace wininet
