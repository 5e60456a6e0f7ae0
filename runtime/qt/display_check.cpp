#include "runtime/qt/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace korvex {
namespace {

std::string Get(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

}  // namespace

bool XDisplayOpens(const std::string& display) {
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  const bool opened = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);  // also frees a connection in error
  return opened;
}

std::string MissingDisplay(const std::function<bool(const std::string&)>& xDisplayOpens) {
  const std::string platform = Get("QT_QPA_PLATFORM");
  const std::string x = Get("DISPLAY");
  const bool wayland = !Get("WAYLAND_DISPLAY").empty();
  // Qt's own choice on Linux takes either display server; with both at
  // hand it may take Wayland, so X is asked only when it is the one.
  const bool usesX = platform.starts_with("xcb") || (platform.empty() && !wayland);
  if (usesX && !x.empty()) {
    if (xDisplayOpens(x)) return {};
    return "cannot open the display " + x + " (DISPLAY)";
  }
  if (platform.empty() && wayland) return {};
  if (platform.starts_with("wayland") && wayland) return {};
  // The other platforms (offscreen, minimal, vnc, ...) need no display server.
  if (!platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland")) {
    return {};
  }
  return "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

}  // namespace korvex
