// Where the site comes from: --site, else a site= line in the user's
// configuration file, else the address built in.
#include "loader/site_config.h"
#include "tests/support/scoped_env.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace pixaroo {
namespace {

using pixaroo::testing::ScopedEnv;

TEST(SiteConfig, TheLastSiteLineCountsAndIsCheckedAsSiteIs) {
  std::string error;
  EXPECT_EQ(SiteFromConfigText("", &error), "");
  EXPECT_EQ(SiteFromConfigText("# site=http://commented\n; site=http://also\ncolour=red\n", &error),
            "");
  EXPECT_EQ(SiteFromConfigText("  site = HTTP://a.example:81/ \r\n", &error),
            "http://a.example:81");
  EXPECT_EQ(SiteFromConfigText("site=http://first\nother=1\nsite=https://second\n", &error),
            "https://second");
  EXPECT_FALSE(SiteFromConfigText("# a comment\nsite=http://ok\nsite=ftp://bad\n", &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_NE(error.find("ftp://bad"), std::string::npos) << error;
  EXPECT_FALSE(SiteFromConfigText("site=\n", &error));
  // A file saved with a UTF-8 byte order mark: the first line's key is
  // still `site`; anywhere else the mark is an odd byte like any other.
  EXPECT_EQ(SiteFromConfigText("\xEF\xBB\xBFsite=http://marked.example\n", &error),
            "http://marked.example");
  EXPECT_EQ(SiteFromConfigText("# x\n\xEF\xBB\xBFsite=http://marked.example\n", &error), "");
}

TEST(SiteConfig, CommandLineThenTheUsersFileThenTheBuiltInSite) {
  const auto top = std::filesystem::temp_directory_path() /
                   ("pixaroo-site-config-" + std::to_string(::getpid()));
  std::filesystem::create_directories(top / "config/pixaroo");
  std::filesystem::create_directories(top / "home/.config/pixaroo");
  const ScopedEnv config("XDG_CONFIG_HOME", (top / "config").string());
  const ScopedEnv home("HOME", (top / "home").string());
  const auto write = [](const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  };
  const auto file = top / "config/pixaroo/pixaroo.conf";
  std::string error;

  EXPECT_EQ(SiteConfigPath(), file.string());
  EXPECT_EQ(ChooseSiteBase("", &error), "");  // no file: the built-in site
  write(file, "site=http://from.file:8080\n");
  EXPECT_EQ(ChooseSiteBase("", &error), "http://from.file:8080");
  EXPECT_EQ(ChooseSiteBase("http://from.command", &error), "http://from.command");

  // A refused line names the file and stops the run, --site aside.
  write(file, "site=http://from.file/gallery\n");
  EXPECT_FALSE(ChooseSiteBase("", &error));
  EXPECT_NE(error.find(file.string()), std::string::npos) << error;
  EXPECT_EQ(ChooseSiteBase("http://from.command", &error), "http://from.command");

  // A file past the bound is refused unread, even with a good last line.
  write(file, std::string(kMaxSiteConfigBytes, '#') + "\nsite=http://late\n");
  EXPECT_FALSE(ChooseSiteBase("", &error));
  EXPECT_NE(error.find("KiB"), std::string::npos) << error;

  // Nothing but a regular file is read: a FIFO would hold the start up
  // until something wrote to it, a device could feed it without end. Here
  // a writer waits on the FIFO with a good line, and is let go after.
  std::filesystem::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  std::thread writer([&file] {
    const int fd = ::open(file.c_str(), O_WRONLY);  // waits for a reader
    if (fd < 0) return;
    const std::string line = "site=http://fifo.example\n";
    static_cast<void>(::write(fd, line.data(), line.size()));
    ::close(fd);
  });
  EXPECT_FALSE(ChooseSiteBase("", &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  {
    // A reader of our own lets the writer finish, whatever happened above.
    const int reader = ::open(file.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (reader >= 0) ::close(reader);
  }
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  EXPECT_FALSE(ChooseSiteBase("", &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  std::filesystem::remove(file);

  // A relative XDG_CONFIG_HOME is ignored: the file under $HOME/.config.
  {
    const ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    write(top / "home/.config/pixaroo/pixaroo.conf", "site=https://home.example\n");
    EXPECT_EQ(ChooseSiteBase("", &error), "https://home.example");
  }
  std::filesystem::remove_all(top);
}

}  // namespace
}  // namespace pixaroo
