// The DLL command table: the platform functions a program calls by number.
//
// A program names each command by (file, function) as the platform would
// load it; the runtime resolves the whole table once, when the program is
// loaded, against the exports of its platform layers (layer_exports.h), by
// the platform loader's rule (export_names.h).
//
// Threads: Resolve runs on the window thread before the program's entry
// routine; Address may be called from any thread afterwards.
#pragma once

#include <span>
#include <string>

#include "runtime/services/services.h"

namespace korvex::dll {

// Resolves `table` and makes it the process's DLL command table. On failure
// the previous table stays and `error` says which command was not found.
bool Resolve(std::span<const DllCommandName> table, std::string* error);

// The function of command `number`, or nullptr when there is none.
AnyFunction Address(int number);

}  // namespace korvex::dll
