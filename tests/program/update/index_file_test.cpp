// The index file as the window's closing event saves it: every item with
// CR LF, next to the program, or in the user's data folder when the
// program's folder refuses writes, and a notice when no place took it. On
// the runtime with the headless front.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "program/routines/program_texts.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "base/files.h"
#include "runtime/core/headless_front.h"
#include "tests/support/crafted_site.h"
#include "program/update/update.h"
#include "tests/support/scoped_env.h"

namespace pixaroo {
namespace {

using base::Bytes;

// Opens files anywhere but in the program's folder, as for an installed
// program run by a user.
int OpenRefusingTheProgramFolder(const char* path, int flags, mode_t mode) {
  if (std::string_view(path).starts_with(base::ProgramDirectory())) {
    errno = EACCES;
    return -1;
  }
  return base::RealFileSystemCalls().open(path, flags, mode);
}

TEST(SaveIndexFile, WritesEveryItemWithCrLfNextToTheProgramOrElseInTheUserDataFolder) {
  const std::string path = IndexFilePath();
  std::remove(path.c_str());
  auto readFile = [&] {
    const Bytes b = base::ReadWholeFile(path);
    return std::string(b.begin(), b.end());
  };
  {
    Program program;
    ASSERT_EQ(program.Run([] {
      rt::ListAdd(units::kIndexList, "/a.jpg");
      rt::ListAdd(units::kIndexList, "/\xCD\xBC.jpg");  // 图
      SaveIndexFile(0, 0, 0);
    }),
              0);
    EXPECT_EQ(readFile(), "/a.jpg\r\n/\xCD\xBC.jpg\r\n");
  }
  {
    Program program;
    ASSERT_EQ(program.Run([] { SaveIndexFile(0, 0, 0); }), 0);
    EXPECT_EQ(readFile(), "/a.jpg\r\n/\xCD\xBC.jpg\r\n");
  }
  {
    // An installed program: its folder refuses writes (as it would for any
    // user but root), so the index goes to the user's data folder.
    const std::string data = ::testing::TempDir() + "pixaroo-xdg-" + std::to_string(::getpid());
    std::filesystem::remove_all(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    base::FileSystemCalls refusing = base::RealFileSystemCalls();
    refusing.open = &OpenRefusingTheProgramFolder;
    base::SetFileSystemCallsForTesting(&refusing);
    Program program;
    ASSERT_EQ(program.Run([] {
      rt::ListAdd(units::kIndexList, "/b.jpg");
      SaveIndexFile(0, 0, 0);
    }),
              0);
    base::SetFileSystemCallsForTesting(nullptr);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(readFile(), "/a.jpg\r\n/\xCD\xBC.jpg\r\n");
    const Bytes moved = base::ReadWholeFile(data + "/pixaroo/confi.ini");
    EXPECT_EQ(std::string(moved.begin(), moved.end()), "/b.jpg\r\n");
    std::filesystem::remove_all(data);
  }
  std::remove(path.c_str());
}

// The index saved by an installed program (its folder refuses writes) with
// the environment given; what the front showed.
std::vector<korvex::HeadlessFront::Shown> SaveInstalled(const char* xdg, const char* home) {
  pixaroo::testing::ScopedEnv x("XDG_DATA_HOME", xdg);
  pixaroo::testing::ScopedEnv h("HOME", home);
  base::FileSystemCalls refusing = base::RealFileSystemCalls();
  refusing.open = &OpenRefusingTheProgramFolder;
  base::SetFileSystemCallsForTesting(&refusing);
  Program program;
  EXPECT_EQ(program.Run([] {
    rt::ListAdd(units::kIndexList, "/c.jpg");
    SaveIndexFile(0, 0, 0);
  }),
            0);
  base::SetFileSystemCallsForTesting(nullptr);
  return program.front->MessageBoxes();
}

TEST(SaveIndexFile, FallsBackToHomeIgnoresRelativePathsMakesItPrivateAndSaysWhenNothingTookIt) {
  namespace fs = std::filesystem;
  const fs::path top = ::testing::TempDir() + "pixaroo-home-" + std::to_string(::getpid());
  fs::remove_all(top);
  fs::create_directories(top);
  const fs::path cwd = fs::current_path();
  fs::current_path(top);  // where a relative path would lead
  const std::string home = (top / "home").string();
  fs::create_directories(home);
  auto readText = [](const fs::path& p) {
    const Bytes b = base::ReadWholeFile(p.string());
    return std::string(b.begin(), b.end());
  };
  // No XDG_DATA_HOME, or a relative one: $HOME/.local/share/pixaroo/.
  for (const char* xdg : {static_cast<const char*>(nullptr), "relative-data"}) {
    fs::remove_all(fs::path(home) / ".local");
    EXPECT_TRUE(SaveInstalled(xdg, home.c_str()).empty());
    EXPECT_EQ(readText(fs::path(home) / ".local/share/pixaroo/confi.ini"), "/c.jpg\r\n");
    for (const char* made : {".local", ".local/share", ".local/share/pixaroo"}) {
      const auto perms = fs::status(fs::path(home) / made).permissions();
      EXPECT_EQ(perms & fs::perms::all, fs::perms::owner_all) << made;
    }
  }
  EXPECT_FALSE(fs::exists(top / "relative-data"));
  // A relative HOME is no place either; nor is none at all: the user is
  // told, in the message window a failed save shows.
  for (const char* relativeHome : {"relative-home", static_cast<const char*>(nullptr)}) {
    const auto shown = SaveInstalled(nullptr, relativeHome);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, std::string(texts::kIndexSaveTitle));
    EXPECT_EQ(shown[0].text,
              std::string(texts::kIndexNotSavedPrefix) + std::string(texts::kNotSavedFolder));
  }
  EXPECT_FALSE(fs::exists(top / "relative-home"));
  fs::current_path(cwd);
  fs::remove_all(top);
}

}  // namespace
}  // namespace pixaroo
