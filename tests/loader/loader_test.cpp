// The pixaroo executable end to end: where it finds its runtime library,
// what it hands over, and that every failure reports the same way with exit
// code -1. Stand-in libraries (fake_runtime.cpp) answer with their own exit
// codes: 42 for the one next to the executable, 43 for the installed one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kLocalCode = 42;
constexpr int kInstalledCode = 43;
constexpr int kFailureCode = 255;  // -1
constexpr const char* kFailureLine =
    "Error: Not found the kernel library or the kernel library is invalid!\n";
constexpr const char* kUnloadedLine = "fake runtime unloaded\n";
constexpr const char* kInstallKey = "Software\\Zorith\\Quillet\\Install";

struct Outcome {
  bool exited = false;
  int code = 0;
  std::string err;
  bool ready = false;  // the `ready` test held on stderr while it ran
};

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs `exe` with the registry file `registry` and no display (so a failure
// never waits for a click); when it is still running after `wait`, or once
// `ready` holds for what it has written to stderr so far, stops it. It runs
// in `folder` when one is given.
Outcome Spawn(const fs::path& exe, const fs::path& registry, std::chrono::milliseconds wait,
              const std::function<bool(const std::string&)>& ready = {},
              const fs::path& folder = {}) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string var = *e;
    if (!var.starts_with("DISPLAY=") && !var.starts_with("WAYLAND_DISPLAY=") &&
        !var.starts_with("PIXAROO_REGISTRY=")) {
      env.push_back(var);
    }
  }
  env.push_back("PIXAROO_REGISTRY=" + registry.string());
  std::vector<char*> envp;
  envp.reserve(env.size() + 1);
  for (std::string& var : env) envp.push_back(var.data());
  envp.push_back(nullptr);
  const fs::path errFile = registry.parent_path() / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
  const int spawned = ::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {true, -100, "not started"};
  Outcome out;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      out.exited = true;
      out.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (ready && ready(ReadText(errFile))) {
      out.ready = true;
      break;
    }
    std::this_thread::sleep_for(20ms);
  }
  if (!out.exited) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  out.err = ReadText(errFile);
  return out;
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("pixaroo-loader-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A copy of the executable in `dir`.
  fs::path ExeIn(const fs::path& dir) {
    fs::create_directories(dir);
    fs::copy_file(PIXAROO_EXE, dir / "pixaroo", fs::copy_options::overwrite_existing);
    return dir / "pixaroo";
  }
  static void Place(const char* library, const fs::path& file) {
    fs::create_directories(file.parent_path());
    fs::copy_file(library, file, fs::copy_options::overwrite_existing);
  }
  // The registry file, with the installation key holding `values` (no key
  // at all when `withKey` is false).
  fs::path Registry(std::vector<advapi32::RegistryValue> values, bool withKey = true) {
    fs::path file = root_ / "registry";
    std::vector<advapi32::RegistryKey> keys = {{"Software\\Other", {}}};
    if (withKey) keys.push_back({kInstallKey, std::move(values)});
    EXPECT_TRUE(advapi32::WriteRegistryFile(file.string(), keys));
    return file;
  }
  fs::path PathValue(const std::string& folder) {
    std::vector<std::uint8_t> data(folder.begin(), folder.end());
    data.push_back(0);
    return Registry({{"Path", advapi32::REG_SZ, data}});
  }
  Outcome RunExe(const fs::path& exe, const fs::path& registry) {
    return Spawn(exe, registry, 20s);
  }

  fs::path root_;
};

TEST_F(LoaderTest, LibraryNextToTheExecutableWinsAndTheRegistryIsTheFallback) {
  const fs::path exe = ExeIn(root_ / "app");
  Place(FAKE_LOCAL, root_ / "app" / "korvex.fnr");
  Place(FAKE_INSTALLED, root_ / "installed" / "korvex.fne");
  const fs::path registry = PathValue((root_ / "installed").string());
  EXPECT_EQ(RunExe(exe, registry).code, kLocalCode);
  fs::remove(root_ / "app" / "korvex.fnr");
  EXPECT_EQ(RunExe(exe, registry).code, kInstalledCode);
}

TEST_F(LoaderTest, RegistryPathGetsOneSeparatorAndMayBeLong) {
  const fs::path exe = ExeIn(root_ / "app");
  Place(FAKE_INSTALLED, root_ / "installed" / "korvex.fne");
  const std::string folder = (root_ / "installed").string();
  EXPECT_EQ(RunExe(exe, PathValue(folder)).code, kInstalledCode);
  EXPECT_EQ(RunExe(exe, PathValue(folder + "/")).code, kInstalledCode);
  // A folder text ending with '\' gets no '/' after it: the library is the
  // file whose name carries the backslash.
  Place(FAKE_INSTALLED, root_ / "win\\korvex.fne");
  EXPECT_EQ(RunExe(exe, PathValue((root_ / "win\\").string())).code, kInstalledCode);
  // Longer than the loader's 260-byte path buffer.
  fs::path deep = root_;
  for (int i = 0; i < 5; ++i) deep /= std::string(60, static_cast<char>('a' + i));
  Place(FAKE_INSTALLED, deep / "korvex.fne");
  ASSERT_GT(deep.string().size(), 300u);
  EXPECT_EQ(RunExe(exe, PathValue(deep.string())).code, kInstalledCode);
}

TEST_F(LoaderTest, ExecutableInALongPathFindsItsOwnFolder) {
  fs::path deep = root_;
  for (int i = 0; i < 5; ++i) deep /= std::string(60, static_cast<char>('k' + i));
  ASSERT_GT(deep.string().size(), 300u);
  const fs::path exe = ExeIn(deep);
  Place(FAKE_LOCAL, deep / "korvex.fnr");
  // A library of that name in a folder the truncated path would point into.
  Place(FAKE_INSTALLED, root_ / std::string(60, 'k') / "korvex.fnr");
  EXPECT_EQ(RunExe(exe, root_ / "no-registry").code, kLocalCode);
}

TEST_F(LoaderTest, EveryFailureGivesTheSameMessageAndMinusOne) {
  struct Case {
    const char* what;
    std::function<fs::path(const fs::path& app)> setUp;  // returns the registry file
    bool freesLibrary;
  };
  const std::vector<Case> cases = {
      {"nothing anywhere", [&](const fs::path&) { return root_ / "no-registry"; }, false},
      {"no installation key", [&](const fs::path&) { return Registry({}, false); }, false},
      {"key without Path",
       [&](const fs::path&) {
         return Registry({{"Other", advapi32::REG_SZ, {'x', 0}}});
       },
       false},
      {"Path names a folder without the library",
       [&](const fs::path&) { return PathValue((root_ / "empty").string()); }, false},
      {"a file that is no library",
       [&](const fs::path& app) {
         std::ofstream(app / "korvex.fnr") << "not a library";
         return root_ / "no-registry";
       },
       false},
      {"no start export",
       [&](const fs::path& app) {
         Place(FAKE_NO_EXPORT, app / "korvex.fnr");
         return root_ / "no-registry";
       },
       true},
      {"start function refused",
       [&](const fs::path&) {
         Place(FAKE_REFUSES, root_ / "installed" / "korvex.fne");
         return PathValue((root_ / "installed").string());
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(root_);
    const fs::path exe = ExeIn(root_ / "app");
    const Outcome out = RunExe(exe, c.setUp(root_ / "app"));
    EXPECT_TRUE(out.exited);
    EXPECT_EQ(out.code, kFailureCode);
    const std::size_t message = out.err.find(kFailureLine);
    ASSERT_NE(message, std::string::npos) << out.err;
    if (c.freesLibrary) {
      // Freed before the report, not merely at process end.
      EXPECT_LT(out.err.find(kUnloadedLine), message) << out.err;
    }
  }
}

#ifdef PIXAROO_RUNTIME_BUILT
// How many times `part` occurs in `text`.
std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(LoaderTest, WithTheRealRuntimeLibraryTheWindowStaysOpen) {
  // Qt's minimal platform, told to, reports each window it makes and each
  // time it puts one on the screen: the main window painted, then a second
  // window (the usage notice that the creation routine shows) means the
  // program is up and waiting for the user.
  constexpr const char* kNewWindow = "QMinimalBackingStore::QMinimalBackingStore";
  constexpr const char* kPainted = "QMinimalBackingStore::flush()";
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string oldPlatform = platform != nullptr ? platform : "";
  ::setenv("QT_QPA_PLATFORM", "minimal", 1);
  ::setenv("QT_DEBUG_BACKINGSTORE", "1", 1);
  const Outcome run = Spawn(
      PIXAROO_EXE, root_ / "no-registry", 30s,
      [&](const std::string& err) {
        const auto firstPaint = err.find(kPainted);
        return firstPaint != std::string::npos && Count(err, kNewWindow) >= 2 &&
               err.find(kPainted, err.find(kNewWindow, err.find(kNewWindow) + 1)) !=
                   std::string::npos;
      },
      root_);
  ::unsetenv("QT_DEBUG_BACKINGSTORE");
  if (platform != nullptr) {
    ::setenv("QT_QPA_PLATFORM", oldPlatform.c_str(), 1);
  } else {
    ::unsetenv("QT_QPA_PLATFORM");
  }
  EXPECT_TRUE(run.ready) << "no window shown; " << (run.exited ? "exited" : "still running")
                         << ", stderr: " << run.err;
  EXPECT_FALSE(run.exited) << "exited with " << run.code << ": " << run.err;
  // Nothing failed on the way: no loader or runtime report, no sanitizer.
  EXPECT_EQ(run.err.find(kFailureLine), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("korvex:"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;
}
#endif

}  // namespace
