#include "platform/com/com.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/com/regexp.h"

namespace com {
namespace {

thread_local int t_initCount = 0;

// ProgIDs compare without regard to ASCII letter case.
std::u16string RegistryKey(std::u16string_view progId) {
  std::u16string key(progId);
  for (char16_t& c : key) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return key;
}

struct Registry {
  std::mutex mutex;
  std::map<std::u16string, ClassFactory> factories;

  Registry() { factories[RegistryKey(u"VBScript.RegExp")] = &CreateRegExp; }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

HRESULT CoInitialize(void* reserved) {
  if (reserved != nullptr) return E_INVALIDARG;
  return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (t_initCount > 0) --t_initCount;
}

int ComInitCountOnThisThread() { return t_initCount; }

HRESULT CreateObjectFromProgID(std::u16string_view progId, DispatchPtr* out) {
  if (out == nullptr) return E_POINTER;
  out->reset();
  if (t_initCount == 0) return CO_E_NOTINITIALIZED;
  ClassFactory factory = nullptr;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.factories.find(RegistryKey(progId));
    if (it == r.factories.end()) return CO_E_CLASSSTRING;
    factory = it->second;
  }
  // The factory runs outside the lock: it may be slow or register others.
  *out = factory();
  return *out ? S_OK : E_OUTOFMEMORY;
}

void RegisterProgID(std::u16string_view progId, ClassFactory factory) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  if (factory == nullptr) {
    r.factories.erase(RegistryKey(progId));
  } else {
    r.factories[RegistryKey(progId)] = factory;
  }
}

}  // namespace com
