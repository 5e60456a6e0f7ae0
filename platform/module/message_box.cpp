#include "platform/module/message_box.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/charset.h"

extern char** environ;

namespace user32 {
namespace {

constexpr const char* kDesktopTool = "xmessage";

// Shows the text with the desktop tool and waits for it to close; does
// nothing without a display or without the tool.
void ShowOnDisplay(const std::string& caption, std::string text) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return;
  // The tool would take a leading '-' for an option.
  if (!text.empty() && text[0] == '-') text.insert(0, " ");
  std::string tool = kDesktopTool;
  std::string center = "-center", titleFlag = "-title", buttons = "-buttons", ok = "OK:0";
  char* argv[] = {
      tool.data(),    center.data(), titleFlag.data(), const_cast<char*>(caption.c_str()),
      buttons.data(), ok.data(),     text.data(),      nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, kDesktopTool, nullptr, nullptr, argv, environ) != 0) return;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT /*type*/) {
  const std::string t = base::GbkToUtf8(text != nullptr ? text : "");
  const std::string c = base::GbkToUtf8(caption != nullptr ? caption : "Error");
  std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
  std::fflush(stderr);
  ShowOnDisplay(c, t);
  return IDOK;
}

}  // namespace user32
