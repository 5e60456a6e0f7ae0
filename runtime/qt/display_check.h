// Whether Qt can be expected to find a display, decided before any Qt object
// exists (Qt ends the process with a core dump when it finds none, or when
// the display it is given does not open).
//
// Any thread.
#pragma once

#include <functional>
#include <string>

namespace korvex {

// Opens the X display named `display` and closes it again: true when it
// opened.
bool XDisplayOpens(const std::string& display);

// Empty when a window can be opened: a platform that needs no display
// (QT_QPA_PLATFORM offscreen, minimal, vnc, ...), a Wayland display, or an
// X display that opens (`xDisplayOpens`, asked only when X is the one Qt
// would use). Otherwise one line saying what is missing.
std::string MissingDisplay(
    const std::function<bool(const std::string&)>& xDisplayOpens = XDisplayOpens);

}  // namespace korvex
