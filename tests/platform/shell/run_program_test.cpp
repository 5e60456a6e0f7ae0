#include "platform/shell/run_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace platform::shell {
namespace {

using Args = std::vector<std::string>;

TEST(RunProgram, CommandLinesSplitWithoutAShell) {
  SetUrlOpener("xdg-open");
  // The browser path is not quoted although it holds spaces; it stands for
  // the desktop's URL opener.
  EXPECT_EQ(CommandArguments("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE "
                             "tencent://message/?uin=1"),
            (Args{"xdg-open", "tencent://message/?uin=1"}));
  EXPECT_EQ(CommandArguments("\"c:\\program files\\internet explorer\\iexplore.exe\" x"),
            (Args{"xdg-open", "x"}));
  EXPECT_EQ(CommandArguments("echo a \"b c\"  d;rm"), (Args{"echo", "a", "b c", "d;rm"}));
  EXPECT_TRUE(CommandArguments("   ").empty());
  EXPECT_FALSE(RunCommandLine("", false));
  EXPECT_FALSE(RunCommandLine("/no/such/program", true));
}

TEST(RunProgram, LinksGoToTheUrlOpenerAndTheCallReturnsAtOnce) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("pixaroo-shell-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto opener = dir / "opener";
  const auto go = dir / "go";
  const auto record = dir / "record";
  {
    // The opener holds on until the test says "go" (at most about 20 s), so
    // a call that waited for it would come back only after it gave up.
    std::ofstream script(opener);
    script << "#!/bin/sh\nn=0\nwhile [ ! -e '" << go.string() << "' ] && [ $n -lt 400 ]; do\n"
           << "  sleep 0.05; n=$((n+1))\ndone\n"
           << "if [ -e '" << go.string() << "' ]; then printf '%s|' \"$@\"; else printf late; fi"
           << " > '" << record.string() << ".tmp'\n"
           << "mv '" << record.string() << ".tmp' '" << record.string() << "'\n";
  }
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  SetUrlOpener(opener.string());

  ASSERT_TRUE(RunCommandLine(
      "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE tencent://message/?uin=1;$(id)", false));
  std::ofstream(go).put('1');
  for (int i = 0; i < 1500 && !std::filesystem::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ifstream in(record);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "tencent://message/?uin=1;$(id)|");  // passed verbatim, no shell
  SetUrlOpener("xdg-open");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform::shell
