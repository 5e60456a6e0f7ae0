// Whether the window can open, decided from the environment before Qt would
// abort for want of a display.
#include "runtime/qt/display_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace korvex {
namespace {

class Environment {
 public:
  Environment() {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
  }
  ~Environment() {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        ::setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        ::unsetenv(kNames[i]);
      }
    }
  }
  // Sets the three variables (nullptr: unset) and asks.
  bool CanOpen(const char* platform, const char* x, const char* wayland) {
    const char* values[] = {platform, x, wayland};
    for (std::size_t i = 0; i < 3; ++i) {
      if (values[i]) {
        ::setenv(kNames[i], values[i], 1);
      } else {
        ::unsetenv(kNames[i]);
      }
    }
    return MissingDisplay().empty();
  }

 private:
  static constexpr const char* kNames[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(DisplayCheck, ADisplayServerIsNeededOnlyByThePlatformsThatUseOne) {
  Environment env;
  EXPECT_FALSE(env.CanOpen(nullptr, nullptr, nullptr));
  EXPECT_FALSE(env.CanOpen(nullptr, "", ""));  // set but empty
  EXPECT_TRUE(env.CanOpen(nullptr, ":0", nullptr));
  EXPECT_TRUE(env.CanOpen(nullptr, nullptr, "wayland-0"));
  EXPECT_TRUE(env.CanOpen("xcb", ":1", nullptr));
  EXPECT_FALSE(env.CanOpen("xcb", nullptr, "wayland-0"));
  EXPECT_TRUE(env.CanOpen("wayland", nullptr, "wayland-0"));
  EXPECT_FALSE(env.CanOpen("wayland", ":0", nullptr));
  EXPECT_TRUE(env.CanOpen("offscreen", nullptr, nullptr));
  EXPECT_TRUE(env.CanOpen("minimal", nullptr, nullptr));
}

}  // namespace
}  // namespace korvex
