// The program's one window, as a window description.
//
// MainWindowForm() builds the description the program image carries: the
// nineteen units of the main window with their ids, types, names, positions,
// parents, children, flags, event entries (routine offsets of
// program/routines/routine_ids.h) and type-specific settings. The build writes the same
// bytes to form.bin for inspection. The unit ids below are how the program's
// routines name the units.
//
// Constants and a pure function; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "program/routines/unit_ids.h"
#include "runtime/form/form.h"

namespace pixaroo {

// Size of the stored description.
inline constexpr std::size_t kMainWindowFormSize = 0xC29;

// The main window's description (window id korvex::form::kMainWindowId).
korvex::form::Form MainWindowForm();

}  // namespace pixaroo
