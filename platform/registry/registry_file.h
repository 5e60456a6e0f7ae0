// The registry layer's storage: the current user's keys in one small text
// file (FORMAT.md beside this file gives its grammar).
//
// ParseRegistry accepts any bytes: lines that do not parse are skipped, never
// trusted. FormatRegistry writes keys back in the same format, so that parsing
// its output gives the same keys. Results are plain values owned by the
// caller. Pure functions and file reads/writes; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_or.h"

namespace advapi32 {

// Value types, numbered as the platform numbers them.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// A registry file larger than this holds no keys.
inline constexpr std::size_t kMaxRegistryFile = std::size_t{1} << 20;

// One value of a key. `name` is empty for the key's default value; `data`
// holds the stored bytes (a REG_SZ text with its terminating NUL).
struct RegistryValue {
  std::string name;
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
  bool operator==(const RegistryValue&) const = default;
};

// One key line and the values listed under it. `path` is the key's path
// below HKEY_CURRENT_USER as written, names joined by '' (empty:
// HKEY_CURRENT_USER itself). A key may be listed more than once.
struct RegistryKey {
  std::string path;
  std::vector<RegistryValue> values;
  bool operator==(const RegistryKey&) const = default;
};

// The keys a registry file's bytes hold, in file order.
std::vector<RegistryKey> ParseRegistry(std::string_view text);

// The file text for `keys`, or why it cannot be written (a control byte in a
// key path, a NUL inside a value name).
base::ErrorOr<std::string> FormatRegistry(const std::vector<RegistryKey>& keys);

// Where the current user's registry file lives (see FORMAT.md); empty when
// neither PIXAROO_REGISTRY, XDG_CONFIG_HOME nor HOME says.
std::string RegistryFilePath();

// The file's keys, or why there are none: no path, or a file that is
// missing, unreadable, not a regular file or larger than kMaxRegistryFile.
base::ErrorOr<std::vector<RegistryKey>> LoadRegistryFile(const std::string& path);

// Replaces the file at `path` (atomically) with `keys`, creating its folder.
// False when nothing was written.
bool WriteRegistryFile(const std::string& path, const std::vector<RegistryKey>& keys);

// The key path's names, GBK-aware, empty names dropped, ASCII letters folded
// to lower case: two paths name the same key when these are equal.
std::vector<std::string> KeyNames(std::string_view path);

}  // namespace advapi32
