// The pixaroo_demo_site executable: it announces its address, serves, and
// ends with status 0 on SIGTERM and on SIGINT.
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "demo/gallery.h"

extern char** environ;

namespace {

constexpr int kWaitMs = 10000;

// Reads one line from `fd`, waiting at most kWaitMs in all.
std::string ReadLine(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

// Exit status of `pid`, or -1 when it has not ended within kWaitMs.
int WaitExit(pid_t pid) {
  for (int waited = 0; waited < kWaitMs; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(DemoSiteExecutable, ServesUntilSigtermOrSigint) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char exe[] = PIXAROO_DEMO_SITE_EXE;
    char port[] = "0";
    char* argv[] = {exe, port, nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, exe, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ASSERT_EQ(spawned, 0);

    const std::string base = ReadLine(out[0]);
    close(out[0]);
    EXPECT_EQ(base.rfind("http://127.0.0.1:", 0), 0u) << base;
    {
      httplib::Client client(base);
      auto res = client.Get(pixaroo::demo::Gallery::ListPagePath(1).c_str());
      ASSERT_TRUE(res);
      EXPECT_EQ(res->status, 200);
    }
    kill(pid, signal);
    EXPECT_EQ(WaitExit(pid), 0);
  }
}

TEST(DemoSiteExecutable, RejectsABadPortArgument) {
  char exe[] = PIXAROO_DEMO_SITE_EXE;
  char port[] = "80x";
  char* argv[] = {exe, port, nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, exe, nullptr, nullptr, argv, environ), 0);
  EXPECT_EQ(WaitExit(pid), 2);
}

}  // namespace
