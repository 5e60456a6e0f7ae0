// The process's exit codes, shared by the loader and the runtime: made from
// the one list of them, exit_codes.def.
//
// Constants; any thread.
#pragma once

namespace base {

#define PIXAROO_EXIT(name, code) inline constexpr int name = code;
#include "base/exit_codes.def"

}  // namespace base
