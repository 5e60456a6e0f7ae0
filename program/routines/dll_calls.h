// The program's DLL command table: the platform functions it calls, by
// number, as (file, function) pairs. The runtime resolves the table when it
// loads the program; a routine calls a command through CallDll, typed with
// the declaration of the platform layer it stands for, so that the compiler
// checks every argument while the program links none of the layer's code.
//
// Constant data and a lookup through the runtime's services; any thread.
#pragma once

#include <array>
#include <utility>

#include "program/routines/runtime_link.h"
#include "runtime/services/services.h"

namespace pixaroo {

enum class DllCommand : int {
  GdiplusStartup = 0,
  CLSIDFromString = 1,
  GlobalAlloc = 2,
  CreateStreamOnHGlobal = 3,
  GlobalLock = 4,
  GlobalUnlock = 5,
  lstrcpyn = 6,
  GdipCreateBitmapFromStream = 7,
  GdipSaveImageToStream = 8,
  GetHGlobalFromStream = 9,
  GlobalSize = 10,
  RtlMoveMemory = 11,
  GdipDisposeImage = 12,
  GlobalFree = 13,
  GdiplusShutdown = 14,
  MultiByteToWideChar = 15,
  InternetOpenA = 16,
  InternetCloseHandle = 17,
  InternetConnectA = 18,
  HttpOpenRequestA = 19,
  HttpSendRequestA = 20,
  HttpSendRequestWithBody = 21,  // HttpSendRequestA, declared a second time
  InternetReadFile = 22,
  HttpQueryInfoA = 23,
  CoInitialize = 24,
  CoUninitialize = 25,
};

inline constexpr std::size_t kDllCommandCount = 26;

// In command-number order; four commands name no file.
inline constexpr std::array<korvex::DllCommandName, kDllCommandCount> kDllCommands = {{
    {"gdiplus.dll", "GdiplusStartup"},
    {"ole32.dll", "CLSIDFromString"},
    {"kernel32", "GlobalAlloc"},
    {"ole32.dll", "CreateStreamOnHGlobal"},
    {"kernel32", "GlobalLock"},
    {"kernel32.dll", "GlobalUnlock"},
    {"", "lstrcpyn"},
    {"gdiplus.dll", "GdipCreateBitmapFromStream"},
    {"gdiplus.dll", "GdipSaveImageToStream"},
    {"ole32.dll", "GetHGlobalFromStream"},
    {"", "GlobalSize"},
    {"", "RtlMoveMemory"},
    {"gdiplus.dll", "GdipDisposeImage"},
    {"", "GlobalFree"},
    {"gdiplus.dll", "GdiplusShutdown"},
    {"kernel32.dll", "MultiByteToWideChar"},
    {"wininet.dll", "InternetOpenA"},
    {"wininet.dll", "InternetCloseHandle"},
    {"wininet.dll", "InternetConnectA"},
    {"wininet.dll", "HttpOpenRequestA"},
    {"wininet.dll", "HttpSendRequestA"},
    {"wininet.dll", "HttpSendRequestA"},
    {"wininet.dll", "InternetReadFile"},
    {"wininet.dll", "HttpQueryInfoA"},
    {"ole32.dll", "CoInitialize"},
    {"ole32.dll", "CoUninitialize"},
}};

// Calls DLL command `command` as a function of type `Fn` (the layer's own
// declaration, e.g. decltype(kernel32::GlobalAlloc)).
template <typename Fn, typename... Args>
decltype(auto) CallDll(DllCommand command, Args&&... args) {
  // The runtime resolved the command to a function of exactly this type.
  auto* fn = reinterpret_cast<Fn*>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
      rt::DllCommandAddress(static_cast<int>(command)));
  return fn(std::forward<Args>(args)...);
}

// Defines `command(args...)`, calling DLL command `command` as the function
// `function` of the layer namespace `layer` declares it. A module lists its
// commands this way once, and its calls then read as the platform's own.
// `command` and `function` are pasted as identifiers, so not bracketed.
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage)
#define PIXAROO_DLL_COMMAND(layer, command, function)                                    \
  template <typename... A>                                                               \
  decltype(auto) command(A&&... a) { /* NOLINT(bugprone-macro-parentheses) */            \
    return ::pixaroo::CallDll<decltype(layer::function)>(::pixaroo::DllCommand::command, \
                                                         std::forward<A>(a)...);         \
  }

}  // namespace pixaroo
