#include "runtime/dll/layer_exports.h"

#include <algorithm>
#include <array>

#include "platform/com/com.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"
#include "platform/wininet/wininet.h"

namespace korvex::dll {
namespace {

template <typename Fn>
constexpr AnyFunction Any(Fn* fn) {
  return reinterpret_cast<AnyFunction>(fn);  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
}

}  // namespace

std::span<const LayerExport> LayerExports() {
  // Built on first use: the addresses are not constants the compiler may
  // fold, and a program may be bound during static initialisation.
  static const std::array<LayerExport, 26> kExports = {{
      {"gdiplus.dll", "GdiplusStartup", Any(&gdiplus::GdiplusStartup)},
      {"gdiplus.dll", "GdiplusShutdown", Any(&gdiplus::GdiplusShutdown)},
      {"gdiplus.dll", "GdipCreateBitmapFromStream", Any(&gdiplus::GdipCreateBitmapFromStream)},
      {"gdiplus.dll", "GdipSaveImageToStream", Any(&gdiplus::GdipSaveImageToStream)},
      {"gdiplus.dll", "GdipDisposeImage", Any(&gdiplus::GdipDisposeImage)},
      {"ole32.dll", "CLSIDFromString", Any(&ole32::CLSIDFromString)},
      {"ole32.dll", "CreateStreamOnHGlobal", Any(&ole32::CreateStreamOnHGlobal)},
      {"ole32.dll", "GetHGlobalFromStream", Any(&ole32::GetHGlobalFromStream)},
      {"ole32.dll", "CoInitialize", Any(&com::CoInitialize)},
      {"ole32.dll", "CoUninitialize", Any(&com::CoUninitialize)},
      {"kernel32.dll", "GlobalAlloc", Any(&kernel32::GlobalAlloc)},
      {"kernel32.dll", "GlobalReAlloc", Any(&kernel32::GlobalReAlloc)},
      {"kernel32.dll", "GlobalLock", Any(&kernel32::GlobalLock)},
      {"kernel32.dll", "GlobalUnlock", Any(&kernel32::GlobalUnlock)},
      {"kernel32.dll", "GlobalSize", Any(&kernel32::GlobalSize)},
      {"kernel32.dll", "GlobalFree", Any(&kernel32::GlobalFree)},
      {"kernel32.dll", "RtlMoveMemory", Any(&kernel32::RtlMoveMemory)},
      {"kernel32.dll", "lstrcpynA", Any(&kernel32::lstrcpynA)},
      {"kernel32.dll", "MultiByteToWideChar", Any(&kernel32::MultiByteToWideChar)},
      {"wininet.dll", "InternetOpenA", Any(&wininet::InternetOpenA)},
      {"wininet.dll", "InternetCloseHandle", Any(&wininet::InternetCloseHandle)},
      {"wininet.dll", "InternetConnectA", Any(&wininet::InternetConnectA)},
      {"wininet.dll", "HttpOpenRequestA", Any(&wininet::HttpOpenRequestA)},
      {"wininet.dll", "HttpSendRequestA", Any(&wininet::HttpSendRequestA)},
      {"wininet.dll", "InternetReadFile", Any(&wininet::InternetReadFile)},
      {"wininet.dll", "HttpQueryInfoA", Any(&wininet::HttpQueryInfoA)},
  }};
  return kExports;
}

}  // namespace korvex::dll
