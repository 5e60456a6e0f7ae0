#include "platform/wininet/handles.h"

#include <unordered_map>

#include "base/hex.h"

namespace wininet {
namespace {

thread_local DWORD tLastError = 0;

struct LiveSet {
  std::mutex mutex;
  std::unordered_map<HINTERNET, std::shared_ptr<InternetObject>> objects;
};

LiveSet& Live() {
  static LiveSet live;
  return live;
}

std::string Text(LPCSTR s) { return s ? std::string(s) : std::string(); }

const char* KindName(HandleKind k) {
  switch (k) {
    case HandleKind::kInternet: return "internet";
    case HandleKind::kConnect: return "connect";
    case HandleKind::kRequest: return "request";
  }
  return "?";
}

}  // namespace

HINTERNET Register(std::unique_ptr<InternetObject> object) {
  std::shared_ptr<InternetObject> shared(std::move(object));
  const HINTERNET h = shared.get();
  std::lock_guard lock(Live().mutex);
  Live().objects.emplace(h, std::move(shared));
  return h;
}

std::shared_ptr<InternetObject> Lookup(HINTERNET h, HandleKind kind) {
  std::lock_guard lock(Live().mutex);
  const auto it = Live().objects.find(h);
  if (it == Live().objects.end()) {
    tLastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (it->second->kind != kind) {
    tLastError = ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
    return nullptr;
  }
  return it->second;
}

void SetLastError(DWORD error) { tLastError = error; }
DWORD GetLastError() { return tLastError; }

std::mutex& HooksMutex() {
  static std::mutex m;
  return m;
}

TestHooks& Hooks() {
  static TestHooks hooks;
  return hooks;
}

bool TraceAndCheckFail(const char* call, const std::string& line) {
  TestHooks hooks;
  {
    std::lock_guard lock(HooksMutex());
    if (!Hooks().trace && Hooks().failCall.empty()) return false;
    hooks = Hooks();
  }
  if (hooks.trace) hooks.trace(std::string(call) + "(" + line + ")");
  return hooks.failCall == call;
}

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags) {
  if (TraceAndCheckFail("InternetOpenA", Text(agent) + ", " + std::to_string(accessType) + ", " +
                                             Text(proxy) + ", " + Text(proxyBypass) + ", " +
                                             std::to_string(flags))) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    return nullptr;
  }
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT &&
      accessType != INTERNET_OPEN_TYPE_PROXY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_unique<InternetObject>();
  object->kind = HandleKind::kInternet;
  object->agent = Text(agent);
  object->accessType = accessType;
  if (accessType == INTERNET_OPEN_TYPE_PROXY) object->proxyList = Text(proxy);
  return Register(std::move(object));
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context) {
  (void)flags;
  (void)context;
  if (TraceAndCheckFail("InternetConnectA", Text(serverName) + ", " + std::to_string(serverPort) +
                                                ", " + Text(userName) + ", " + Text(password) +
                                                ", " + std::to_string(service))) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    return nullptr;
  }
  const auto parent = Lookup(internet, HandleKind::kInternet);
  if (!parent) return nullptr;
  if (service != INTERNET_SERVICE_HTTP || Text(serverName).empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_unique<InternetObject>();
  object->kind = HandleKind::kConnect;
  object->agent = parent->agent;
  object->accessType = parent->accessType;
  object->proxyList = parent->proxyList;
  object->host = Text(serverName);
  object->port = serverPort;
  return Register(std::move(object));
}

HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
  (void)referrer;
  (void)acceptTypes;
  (void)context;
  if (TraceAndCheckFail("HttpOpenRequestA", Text(verb) + ", " + Text(objectName) + ", " +
                                                Text(version) + ", " + base::Hex(flags, 8))) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    return nullptr;
  }
  const auto parent = Lookup(connect, HandleKind::kConnect);
  if (!parent) return nullptr;
  auto object = std::make_unique<InternetObject>();
  object->kind = HandleKind::kRequest;
  object->agent = parent->agent;
  object->accessType = parent->accessType;
  object->proxyList = parent->proxyList;
  object->host = parent->host;
  object->port = parent->port;
  object->verb = Text(verb).empty() ? "GET" : Text(verb);
  object->path = Text(objectName);
  object->flags = flags;
  return Register(std::move(object));
}

BOOL InternetCloseHandle(HINTERNET handle) {
  std::shared_ptr<InternetObject> closing;  // released outside the lock
  {
    std::lock_guard lock(Live().mutex);
    const auto it = Live().objects.find(handle);
    if (it != Live().objects.end()) {
      closing = std::move(it->second);
      Live().objects.erase(it);
    }
  }
  TraceAndCheckFail("InternetCloseHandle", closing ? KindName(closing->kind) : "invalid");
  if (!closing) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

}  // namespace wininet
