#include "platform/shell/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

extern char** environ;

namespace platform::shell {
namespace {

constexpr std::string_view kBrowserPath = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";

std::mutex g_mutex;
std::string g_urlOpener = "xdg-open";

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

// Waits for `pid` and gives its exit code (128 + signal when signalled).
int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

// The rest of a line that names the browser, or nothing.
std::optional<std::string_view> AfterBrowser(std::string_view line) {
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  const bool quotedBrowser = !line.empty() && line.front() == '"' &&
                             StartsWithNoCase(line.substr(1), kBrowserPath) &&
                             line.size() > kBrowserPath.size() + 1 &&
                             line[kBrowserPath.size() + 1] == '"';
  if (!quotedBrowser && !StartsWithNoCase(line, kBrowserPath)) return std::nullopt;
  line.remove_prefix(kBrowserPath.size() + (quotedBrowser ? 2 : 0));
  return line;
}

}  // namespace

std::string LinkOf(const std::string& commandLine) {
  const auto rest = AfterBrowser(commandLine);
  if (!rest) return {};
  const std::vector<std::string> words = SplitWords(*rest);
  return words.empty() ? std::string() : words.front();
}

std::vector<std::string> CommandArguments(const std::string& commandLine) {
  std::string_view line = commandLine;
  if (const auto rest = AfterBrowser(line)) {
    line = *rest;
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

bool RunCommandLine(const std::string& commandLine, bool wait, Ended ended) {
  const std::vector<std::string> args = CommandArguments(commandLine);
  if (args.empty()) return false;
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  // The child gets the standard three and nothing more: a descriptor
  // opened without close-on-exec (libcurl's pooled connections to the
  // site, their wake-up pair) would otherwise live on in the opener and in
  // a browser it starts, long after the program let it go.
  ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (AfterBrowser(commandLine)) {
    // The opener's chatter (a dozen lines when nothing handles the link)
    // is no message for the user: its exit code says what happened.
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  if (wait) {
    const int code = WaitFor(pid);
    if (ended) ended(code);
    return true;
  }
  // Reaped the moment it ends. Detached: a child that outlives the program
  // is the system's to reap then.
  std::thread([pid, ended = std::move(ended)] {
    const int code = WaitFor(pid);
    if (ended) ended(code);
  }).detach();
  return true;
}

void SetUrlOpener(const std::string& program) {
  std::lock_guard lock(g_mutex);
  g_urlOpener = program;
}

}  // namespace platform::shell
