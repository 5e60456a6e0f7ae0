// Any bytes as a registry file: parsing never fails hard, and what it keeps
// writes back and parses to the same keys.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > advapi32::kMaxRegistryFile) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<advapi32::RegistryKey> keys = advapi32::ParseRegistry(text);
  const auto again = advapi32::FormatRegistry(keys);
  if (!again.ok() || advapi32::ParseRegistry(*again) != keys) std::abort();
  for (const advapi32::RegistryKey& key : keys) static_cast<void>(advapi32::KeyNames(key.path));
  return 0;
}
