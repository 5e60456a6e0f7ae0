// The user32 message box, for a program that links no GUI library.
//
// MessageBoxA writes "<caption>: <text>" (converted from GBK to UTF-8) on
// stderr. When an X display is named in DISPLAY and xmessage is installed, it
// also shows the text in a small window and waits until the user closes it,
// as a modal message box does; without a display it returns at once.
// Any thread.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

namespace user32 {

using win32::LPCSTR;
using win32::UINT;

struct Window;
using HWND = Window*;

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONSTOP = 0x00000010;
inline constexpr int IDOK = 1;

// Shows `text` under `caption`; the owner and the style are accepted as
// given (one OK button in any case). Returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // namespace user32
