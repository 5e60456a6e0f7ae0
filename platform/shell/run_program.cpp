#include "platform/shell/run_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <mutex>

extern char** environ;

namespace platform::shell {
namespace {

constexpr std::string_view kBrowserPath = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";

std::mutex g_mutex;
std::string g_urlOpener = "xdg-open";
std::vector<pid_t> g_children;  // started without waiting, not yet reaped

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

// Splits at spaces; double quotes group words and are dropped.
std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(std::move(word));
      word.clear();
      any = false;
    } else {
      word.push_back(c);
      any = true;
    }
  }
  if (any) words.push_back(std::move(word));
  return words;
}

void ReapLocked() {
  std::erase_if(g_children, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace

std::vector<std::string> CommandArguments(const std::string& commandLine) {
  std::string_view line = commandLine;
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  const bool quotedBrowser = !line.empty() && line.front() == '"' &&
                             StartsWithNoCase(line.substr(1), kBrowserPath) &&
                             line.size() > kBrowserPath.size() + 1 &&
                             line[kBrowserPath.size() + 1] == '"';
  if (quotedBrowser || StartsWithNoCase(line, kBrowserPath)) {
    line.remove_prefix(kBrowserPath.size() + (quotedBrowser ? 2 : 0));
    std::vector<std::string> args;
    {
      std::lock_guard lock(g_mutex);
      args.push_back(g_urlOpener);
    }
    for (auto& w : SplitWords(line)) args.push_back(std::move(w));
    return args;
  }
  return SplitWords(line);
}

bool RunCommandLine(const std::string& commandLine, bool wait) {
  const std::vector<std::string> args = CommandArguments(commandLine);
  if (args.empty()) return false;
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  if (wait) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
  }
  std::lock_guard lock(g_mutex);
  ReapLocked();
  g_children.push_back(pid);
  return true;
}

void SetUrlOpener(const std::string& program) {
  std::lock_guard lock(g_mutex);
  g_urlOpener = program;
}

}  // namespace platform::shell
