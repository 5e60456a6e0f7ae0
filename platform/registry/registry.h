// The registry calls the program makes (advapi32's ANSI functions), over the
// per-user registry file (registry_file.h, FORMAT.md).
//
// Only HKEY_CURRENT_USER and keys opened below it exist, and only for reading:
// an open asking for write access is refused. RegOpenKeyExA reads the file
// once and the key handle keeps the key's values as they were then, so
// queries never touch the file. Sizes and error codes are the platform's:
// a value's size counts a REG_SZ text's terminating NUL; a buffer too small
// gives ERROR_MORE_DATA with the size needed and leaves the buffer alone; a
// missing key or value gives ERROR_FILE_NOT_FOUND; a handle that is not open
// gives ERROR_INVALID_HANDLE (it is looked up, never dereferenced).
//
// The caller owns each key it opens until RegCloseKey. Every function may be
// called from any thread; one handle may be queried by several threads.
#pragma once

#include <cstdint>

#include "platform/registry/registry_file.h"
#include "platform/win32/types.h"

namespace advapi32 {

using win32::BYTE;
using win32::DWORD;
using win32::LONG;
using win32::LPBYTE;
using win32::LPCSTR;
using win32::LPDWORD;

using REGSAM = DWORD;

struct RegKey;
using HKEY = RegKey*;
using PHKEY = HKEY*;

// The current user's root key, as the platform numbers it.
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;

// Opens `subKey` (null or empty: `key` itself) below `key`. On failure
// *result is null.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM samDesired, PHKEY result);

// Reads the value `valueName` (null or empty: the default value). `reserved`
// must be null. `type` and `data` may be null; `size` may be null only when
// `data` is. With data null, *size receives the value's size.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);

// Closes a key RegOpenKeyExA opened; closing HKEY_CURRENT_USER does nothing.
LONG RegCloseKey(HKEY key);

}  // namespace advapi32
