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
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string_view p = platform != nullptr ? platform : "";
  // Only the desktop platforms need a display server.
  const bool wantsX = p.empty() || p.rfind("xcb", 0) == 0;
  const bool wantsWayland = p.rfind("wayland", 0) == 0;
  if (!wantsX && !wantsWayland) return {};
  if (Set("WAYLAND_DISPLAY") && !wantsX) return {};
  if (Set("DISPLAY") && !wantsWayland) return {};
  if (p.empty() && Set("WAYLAND_DISPLAY")) return {};
  return "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

}  // namespace korvex
