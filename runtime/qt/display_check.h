// Whether Qt can be expected to find a display, decided before any Qt object
// exists (Qt ends the process with a core dump when it finds none).
//
// Pure, from the environment; any thread.
#pragma once

#include <string>

namespace korvex {

// Empty when a window can be opened: a platform that needs no display
// (QT_QPA_PLATFORM offscreen, minimal, vnc, ...), a Wayland display, or an
// X display. Otherwise one line saying what is missing.
std::string MissingDisplay();

}  // namespace korvex
