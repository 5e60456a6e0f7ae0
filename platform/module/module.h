// The kernel32 module and process calls the loader makes, on Linux.
//
// A module handle is the dynamic linker's handle (dlopen); LoadLibraryA
// resolves every symbol at once and keeps the library's symbols to itself.
// GetModuleFileNameA reports the executable's path from /proc/self/exe (or a
// loaded library's path) with the platform's truncation rule. ExitProcess ends
// the process as returning from main does (exit handlers run).
//
// Each HMODULE from LoadLibraryA is owned by the caller until FreeLibrary.
// Every function may be called from any thread.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

namespace kernel32 {

using win32::BOOL;
using win32::DWORD;
using win32::LPCSTR;
using win32::LPSTR;
using win32::UINT;

struct ModuleHandle;
using HMODULE = ModuleHandle*;
// An export's address; callers cast it to the export's own type (a plain
// `void (*)()` is what compilers accept casting from without complaint).
using FARPROC = void (*)();

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

// Writes the full path of `module` (null: the executable) into `fileName`,
// which holds `size` bytes, NUL-terminated. Returns the path's length; when
// the path does not fit, writes its first size - 1 bytes and a NUL, returns
// `size` and GetLastError() gives ERROR_INSUFFICIENT_BUFFER. Returns 0 when
// the path is unknown or `size` is 0.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// The calling thread's last error from GetModuleFileNameA.
DWORD GetLastError();

// Loads the library at `fileName`; null when it cannot be loaded.
HMODULE LoadLibraryA(LPCSTR fileName);

// The address of the export `procName`, or null.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// Releases a handle from LoadLibraryA; nonzero on success.
BOOL FreeLibrary(HMODULE module);

// Ends the process with `exitCode` (the low 8 bits become the exit status).
[[noreturn]] void ExitProcess(UINT exitCode);

}  // namespace kernel32
