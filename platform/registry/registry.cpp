#include "platform/registry/registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "base/text_ops.h"

namespace advapi32 {

// An open key: its names below HKEY_CURRENT_USER (folded) and its values as
// the file held them when it was opened, in file order.
struct RegKey {
  std::vector<std::string> names;
  std::vector<RegistryValue> values;
};

namespace {

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;

struct OpenKeys {
  std::mutex mutex;
  std::map<HKEY, std::unique_ptr<RegKey>> keys;
};

OpenKeys& Open() {
  static OpenKeys open;
  return open;
}

bool StartsWith(const std::vector<std::string>& names, const std::vector<std::string>& prefix) {
  return names.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), names.begin());
}

// The key named `names` as the registry file holds it now, or nothing when
// neither it nor a key below it is listed.
std::optional<RegKey> LoadKey(std::vector<std::string> names) {
  bool exists = names.empty();
  RegKey key;
  // A file that cannot be read lists no keys: the caller hears "not found".
  base::ErrorOr<std::vector<RegistryKey>> file = LoadRegistryFile(RegistryFilePath());
  std::vector<RegistryKey> none;
  for (RegistryKey& listed : file.ok() ? file.value() : none) {
    const std::vector<std::string> listedNames = KeyNames(listed.path);
    if (!StartsWith(listedNames, names)) continue;
    exists = true;
    if (listedNames.size() != names.size()) continue;
    for (RegistryValue& v : listed.values) key.values.push_back(std::move(v));
  }
  if (!exists) return std::nullopt;
  key.names = std::move(names);
  return key;
}

// The value named `name` (the last one listed wins), or nothing.
std::optional<RegistryValue> FindValue(const std::vector<RegistryValue>& values,
                                       const std::string& name) {
  const std::string folded = base::ToLower(name);
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    if (base::ToLower(it->name) == folded) return *it;
  }
  return std::nullopt;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM samDesired, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::vector<std::string> names;
  if (key != HKEY_CURRENT_USER) {
    const std::lock_guard lock(Open().mutex);
    const auto it = Open().keys.find(key);
    if (it == Open().keys.end()) return ERROR_INVALID_HANDLE;
    names = it->second->names;
  }
  if ((samDesired & kWriteAccess) != 0) return ERROR_ACCESS_DENIED;
  if (subKey != nullptr) {
    for (std::string& name : KeyNames(subKey)) names.push_back(std::move(name));
  }
  std::optional<RegKey> loaded = LoadKey(std::move(names));
  if (!loaded) return ERROR_FILE_NOT_FOUND;
  auto owned = std::make_unique<RegKey>(std::move(*loaded));
  const HKEY handle = owned.get();
  const std::lock_guard lock(Open().mutex);
  Open().keys.emplace(handle, std::move(owned));
  *result = handle;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  const std::string name = valueName != nullptr ? valueName : "";
  std::optional<RegistryValue> value;
  if (key == HKEY_CURRENT_USER) {
    const std::optional<RegKey> root = LoadKey({});
    value = FindValue(root->values, name);
  } else {
    const std::lock_guard lock(Open().mutex);
    const auto it = Open().keys.find(key);
    if (it == Open().keys.end()) return ERROR_INVALID_HANDLE;
    value = FindValue(it->second->values, name);
  }
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = value->type;
  const DWORD needed = static_cast<DWORD>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed != 0) std::memcpy(data, value->data.data(), needed);
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  std::unique_ptr<RegKey> closing;
  const std::lock_guard lock(Open().mutex);
  const auto it = Open().keys.find(key);
  if (it == Open().keys.end()) return ERROR_INVALID_HANDLE;
  closing = std::move(it->second);
  Open().keys.erase(it);
  return ERROR_SUCCESS;
}

}  // namespace advapi32
