// Every DLL command as a function of the program: dll::GlobalAlloc(...)
// calls DLL command GlobalAlloc, typed as the kernel32 layer declares
// GlobalAlloc, so that the calls read as the platform's own and the
// compiler checks every argument (dll_command_list.def, one line each).
//
// Only the declarations of the layers are taken, none of their code.
// Any thread the called function allows.
#pragma once

#include <utility>

#include "platform/com/com.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/kernel32/kernel32.h"
#include "platform/ole32/ole32.h"
#include "platform/wininet/wininet.h"
#include "program/routines/dll_calls.h"

namespace pixaroo::dll {

#define PIXAROO_DLL(command, file, function, layer, declaration)                              \
  template <typename... A>                                                                    \
  decltype(auto) command(A&&... a) {                                                          \
    return ::pixaroo::CallDll<decltype(::layer::declaration)>(::pixaroo::DllCommand::command, \
                                                              std::forward<A>(a)...);         \
  }
#include "program/routines/dll_command_list.def"

}  // namespace pixaroo::dll
