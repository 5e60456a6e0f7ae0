// The executable's command line: what --site takes as a site's base, and
// what the loader is told to do.
#include "loader/command_line.h"

#include <gtest/gtest.h>

namespace pixaroo {
namespace {

TEST(CommandLine, SiteBaseIsSchemeAndHostOnly) {
  struct Case {
    const char* url;
    const char* base;  // nullptr: refused
  } const cases[] = {
      {"http://127.0.0.1:8637", "http://127.0.0.1:8637"},
      {"http://127.0.0.1:8637/", "http://127.0.0.1:8637"},  // "/" is no path
      {"HTTPS://gallery.example", "https://gallery.example"},
      {"http://[::1]:8080", nullptr},  // unreachable: the request splits at the first colon
      {"http://[::1]", nullptr},
      {"file:///etc/passwd", nullptr},
      {"http://a-b.c_d.example:65535", "http://a-b.c_d.example:65535"},
      {"ftp://127.0.0.1", nullptr},
      {"127.0.0.1:8637", nullptr},
      {"http://", nullptr},
      {"http:///", nullptr},
      {"http://host/gallery", nullptr},
      {"http://host?x=1", nullptr},
      {"http://host#top", nullptr},
      {"http://user:pw@host", nullptr},
      {"http://host:0", nullptr},
      {"http://host:65536", nullptr},
      {"http://host:", nullptr},
      {"http://host:8o", nullptr},
      {"http://ho st", nullptr},
      {"http://[::1", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<std::string> base = CheckSiteBase(c.url, &error);
    if (c.base == nullptr) {
      EXPECT_FALSE(base) << c.url << " gave " << *base;
      EXPECT_FALSE(error.empty()) << c.url;
    } else {
      ASSERT_TRUE(base) << c.url << ": " << error;
      EXPECT_EQ(*base, c.base);
    }
  }
}

TEST(CommandLine, OptionsPickTheAction) {
  using A = CommandLine::Action;
  EXPECT_EQ(ParseCommandLine({}).action, A::Run);
  EXPECT_EQ(ParseCommandLine({}).siteBase, "");
  EXPECT_EQ(ParseCommandLine({"--help"}).action, A::Help);
  EXPECT_EQ(ParseCommandLine({"--version"}).action, A::Version);
  const CommandLine site = ParseCommandLine({"--site", "http://127.0.0.1:9/"});
  EXPECT_EQ(site.action, A::Run);
  EXPECT_EQ(site.siteBase, "http://127.0.0.1:9");
  EXPECT_EQ(ParseCommandLine({"--site=https://x"}).siteBase, "https://x");
  const CommandLine missing = ParseCommandLine({"--site"});
  EXPECT_EQ(missing.action, A::Refuse);
  EXPECT_NE(missing.error.find("--site"), std::string::npos);
  EXPECT_EQ(ParseCommandLine({"--site", "http://x/y"}).action, A::Refuse);
  EXPECT_EQ(ParseCommandLine({"--sight", "http://x"}).action, A::Refuse);
  EXPECT_EQ(ParseCommandLine({"extra"}).action, A::Refuse);
}

}  // namespace
}  // namespace pixaroo
