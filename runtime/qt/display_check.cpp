#include "runtime/qt/display_check.h"

#include <cstdlib>
#include <string_view>

namespace korvex {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

}  // namespace

std::string MissingDisplay() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  const std::string_view platform = chosen != nullptr ? chosen : "";
  // Qt's own choice on Linux takes either display server.
  if (platform.empty() && (Set("DISPLAY") || Set("WAYLAND_DISPLAY"))) return {};
  if (platform.starts_with("xcb") && Set("DISPLAY")) return {};
  if (platform.starts_with("wayland") && Set("WAYLAND_DISPLAY")) return {};
  // The other platforms (offscreen, minimal, vnc, ...) need no display server.
  if (!platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland")) {
    return {};
  }
  return "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

}  // namespace korvex
