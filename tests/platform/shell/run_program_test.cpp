#include "platform/shell/run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
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

TEST(RunProgram, EveryChildIsReapedAsItEndsAndTheOpenerSaysNothingButItsExitCode) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("pixaroo-reap-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto opener = dir / "opener";
  {
    // As an opener that finds no handler for the link: chatter, then 4.
    std::ofstream script(opener);
    script << "#!/bin/sh\nfor n in 1 2 3 4 5; do echo \"no handler for $1\" >&2; echo out; done\n"
           << "exit 4\n";
  }
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  SetUrlOpener(opener.string());
  EXPECT_EQ(LinkOf("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE imchat://x?uin=1"),
            "imchat://x?uin=1");
  EXPECT_EQ(LinkOf("echo imchat://x"), "");

  // The child inherits this process's stdout and stderr, pointed at a file
  // while it starts.
  const auto heard = dir / "heard";
  const int file = ::open(heard.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  const int savedOut = ::dup(1), savedErr = ::dup(2);
  ::dup2(file, 1);
  ::dup2(file, 2);
  std::promise<int> linkEnded, programEnded;
  const bool linkStarted =
      RunCommandLine("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE imchat://x?uin=1", false,
                     [&](int code) { linkEnded.set_value(code); });
  const bool programStarted =
      RunCommandLine("sh -c \"exit 3\"", false, [&](int code) { programEnded.set_value(code); });
  ::dup2(savedOut, 1);
  ::dup2(savedErr, 2);
  for (const int fd : {savedOut, savedErr, file}) ::close(fd);
  ASSERT_TRUE(linkStarted);
  ASSERT_TRUE(programStarted);

  auto linkCode = linkEnded.get_future();
  auto programCode = programEnded.get_future();
  ASSERT_EQ(linkCode.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  ASSERT_EQ(programCode.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(linkCode.get(), 4);
  EXPECT_EQ(programCode.get(), 3);
  // Both reaped already: no child of this process is left to wait for.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_EQ(std::filesystem::file_size(heard), 0u) << "the opener's chatter reached the output";
  SetUrlOpener("xdg-open");
  std::filesystem::remove_all(dir);
}

TEST(RunProgram, AChildInheritsOnlyTheStandardDescriptors) {
  // A descriptor opened without close-on-exec, as libcurl opens its
  // sockets: neither the opener (and a browser it starts) nor a program
  // gets it.
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  // Well above what a shell opens for itself while it reads a script.
  const int leaky = ::fcntl(ends[1], F_DUPFD, 100);
  ASSERT_GE(leaky, 100);
  const std::string fd = std::to_string(leaky);
  const auto dir =
      std::filesystem::temp_directory_path() / ("pixaroo-fds-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto opener = dir / "opener";
  {
    // Exits 0 when it holds the descriptor, 5 when not.
    std::ofstream script(opener);
    script << "#!/bin/sh\n[ -e /proc/$$/fd/" << fd << " ] && exit 0\nexit 5\n";
  }
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  SetUrlOpener(opener.string());
  int linkCode = -1, programCode = -1, stdioCode = -1;
  ASSERT_TRUE(RunCommandLine("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE imchat://x", true,
                             [&](int code) { linkCode = code; }));
  ASSERT_TRUE(RunCommandLine("sh -c \"[ -e /proc/$$/fd/" + fd + " ] && exit 0; exit 5\"", true,
                             [&](int code) { programCode = code; }));
  // The standard three still are the child's.
  ASSERT_TRUE(RunCommandLine("sh -c \"[ -e /proc/$$/fd/0 ] && [ -e /proc/$$/fd/2 ]\"", true,
                             [&](int code) { stdioCode = code; }));
  EXPECT_EQ(linkCode, 5) << "the opener inherited descriptor " << fd;
  EXPECT_EQ(programCode, 5) << "the program inherited descriptor " << fd;
  EXPECT_EQ(stdioCode, 0);
  for (const int end : {ends[0], ends[1], leaky}) ::close(end);
  SetUrlOpener("xdg-open");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform::shell
