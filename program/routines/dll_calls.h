// The program's DLL command table: the platform functions it calls, by
// number, as (file, function) pairs. The runtime resolves the table when it
// loads the program; a routine calls a command through CallDll, typed with
// the declaration of the platform layer it stands for, so that the compiler
// checks every argument while the program links none of the layer's code
// (dll_functions.h names every command that way). The one list of the
// commands is dll_command_list.def.
//
// Constant data and a lookup through the runtime's services; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "program/routines/runtime_link.h"
#include "runtime/services/services.h"

namespace pixaroo {

// The commands by name; a command's value is its number.
enum class DllCommand : int {
#define PIXAROO_DLL(command, file, function, layer, declaration) command,
#include "program/routines/dll_command_list.def"
};

// In command-number order: the (file, function) pairs the image carries.
inline constexpr auto kDllCommands = std::to_array<korvex::DllCommandName>({
#define PIXAROO_DLL(command, file, function, layer, declaration) {file, function},
#include "program/routines/dll_command_list.def"
});
inline constexpr std::size_t kDllCommandCount = kDllCommands.size();

// Calls DLL command `command` as a function of type `Fn` (the layer's own
// declaration, e.g. decltype(kernel32::GlobalAlloc)).
template <typename Fn, typename... Args>
decltype(auto) CallDll(DllCommand command, Args&&... args) {
  // The runtime resolved the command to a function of exactly this type.
  auto* fn = reinterpret_cast<Fn*>(  // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
      rt::DllCommandAddress(static_cast<int>(command)));
  return fn(std::forward<Args>(args)...);
}

}  // namespace pixaroo
