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
  // Sets the three variables (nullptr: unset) and asks, with X displays
  // that open when `xOpens` says so.
  bool CanOpen(const char* platform, const char* x, const char* wayland, bool xOpens = true) {
    const char* values[] = {platform, x, wayland};
    for (std::size_t i = 0; i < 3; ++i) {
      if (values[i]) {
        ::setenv(kNames[i], values[i], 1);
      } else {
        ::unsetenv(kNames[i]);
      }
    }
    asked.clear();
    return MissingDisplay([&](const std::string& display) {
             asked.push_back(display);
             return xOpens;
           })
        .empty();
  }

  std::vector<std::string> asked;  // the X displays tried by the last CanOpen

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

  // An X display is opened to see, when X is the one Qt would take.
  EXPECT_FALSE(env.CanOpen(nullptr, ":7", nullptr, false));
  EXPECT_EQ(env.asked, std::vector<std::string>{":7"});
  EXPECT_NE(MissingDisplay([](const std::string&) { return false; }).find(":7"), std::string::npos);
  EXPECT_FALSE(env.CanOpen("xcb", ":7", "wayland-0", false));
  EXPECT_TRUE(env.CanOpen(nullptr, ":7", "wayland-0", false));
  EXPECT_TRUE(env.asked.empty());
  EXPECT_TRUE(env.CanOpen("offscreen", ":7", nullptr, false));
  EXPECT_TRUE(env.asked.empty());

  // The real question: a display whose socket is not there does not open.
  EXPECT_FALSE(XDisplayOpens("/nonexistent-pixaroo-display/X:0"));
}

}  // namespace
}  // namespace korvex
