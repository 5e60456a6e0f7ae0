// What the running process itself offers the loader: the symbols it
// exports and the loaded segments that hold an address, so that a program's
// routines can be found by name and checked to lie in the executable.
// Read-only queries of the process; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korvex::image {

// Looks a symbol up among what the running process exports.
void* ExecutableSymbol(const std::string& name);
// The loaded segment of the process that holds `address` (with
// `executableOnly`, only one of the running executable itself, not of a
// library it loaded), or nothing.
std::optional<std::span<const std::uint8_t>> LoadedSegmentOf(const void* address,
                                                             bool executableOnly);
// True when `address` lies in a loaded segment of the running executable.
bool InExecutable(const void* address);

}  // namespace korvex::image
