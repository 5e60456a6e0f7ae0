// The pixaroo executable end to end: it refuses to run without its runtime
// library, and with it opens the window and keeps running.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  bool exited;
  int code;
};

// Runs `exe`; when it is still running after `wait`, stops it.
Outcome RunFor(const fs::path& exe, std::chrono::milliseconds wait) {
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
  if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0) return {true, -100};
  const auto deadline = std::chrono::steady_clock::now() + wait;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return {true, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return {false, 0};
}

TEST(Loader, WithoutItsRuntimeLibraryTheProgramFailsCleanly) {
  const fs::path dir = fs::temp_directory_path() / ("pixaroo-loader-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path exe = dir / "pixaroo";
  fs::copy_file(PIXAROO_EXE, exe, fs::copy_options::overwrite_existing);
  const Outcome alone = RunFor(exe, std::chrono::seconds(20));
  EXPECT_TRUE(alone.exited);
  EXPECT_EQ(alone.code, 255);  // -1

  // A file of that name that is no library fails the same way.
  { std::ofstream(dir / "korvex.fnr") << "not a library"; }
  const Outcome bogus = RunFor(exe, std::chrono::seconds(20));
  EXPECT_TRUE(bogus.exited);
  EXPECT_EQ(bogus.code, 255);
  fs::remove_all(dir);
}

TEST(Loader, WithItsRuntimeLibraryTheWindowStaysOpen) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const Outcome run = RunFor(PIXAROO_EXE, std::chrono::seconds(3));
  EXPECT_FALSE(run.exited) << "exited with " << run.code;
}

}  // namespace
