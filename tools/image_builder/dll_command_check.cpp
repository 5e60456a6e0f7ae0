// Every command of the program's DLL command table names a function the
// runtime's platform layers export, checked when the builder compiles: an
// image the runtime would refuse for an unknown DLL command is never built.
#include "program/routines/dll_calls.h"
#include "runtime/dll/export_names.h"

namespace pixaroo::builder {
namespace {

constexpr bool EveryCommandIsExported() {
  for (const korvex::DllCommandName& c : kDllCommands) {
    if (korvex::dll::FindExport(korvex::dll::kExportNames, c.file, c.function) ==
        korvex::dll::kNoExport) {
      return false;
    }
  }
  return true;
}

static_assert(EveryCommandIsExported(),
              "a command of program/routines/dll_command_list.def names no function of "
              "runtime/dll/layer_export_list.def");

}  // namespace
}  // namespace pixaroo::builder
