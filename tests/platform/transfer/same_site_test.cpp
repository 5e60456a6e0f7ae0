// Where an address leads, as the transfers read it: the site check the
// program's fetches pass, and the redirects a fetch may follow. The reads
// that obey them are tested in tests/runtime/inet.
#include "platform/transfer/same_site.h"

#include <gtest/gtest.h>

#include <string>

namespace transfer {
namespace {

TEST(SameSite, OnlyTheSitesSchemeHostAndPortWithoutAUserPart) {
  const std::string site = "http://127.0.0.1:8637";
  const struct {
    std::string url;
    bool same;
  } cases[] = {
      {site + "/uploads/a.jpg", true},
      {site, true},
      {"HTTP://127.0.0.1:8637/x", true},
      {site + "/a b\xB8\xFC", true},  // bytes the read sends encoded
      {"http://127.0.0.1:8638/x", false},
      {"https://127.0.0.1:8637/x", false},
      // A page's text glued to the base can move the host.
      {site + "@127.0.0.1:8638/uploads/off.jpg", false},  // user part and another port
      {site + "@127.0.0.1:8637/uploads/a.jpg", false},    // user part on the site itself
      {site + ".evil.example/x.jpg", false},              // no longer a port
      {"http://gallery.example" + std::string(".evil.example/x.jpg"), false},
      {"http://gallery.example" + std::string(":8080/x"), false},
      {"http://u@127.0.0.1:8637/x", false},
      {"", false},
      {"http://[::1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SameSite(c.url, site), c.same) << c.url;
  // A port left out is the scheme's default one.
  EXPECT_TRUE(SameSite("http://gallery.example:80/x", "http://gallery.example"));
  EXPECT_TRUE(SameSite("https://gallery.example/x", "https://gallery.example:443"));
  EXPECT_FALSE(SameSite("http://gallery.example/x", "https://gallery.example"));
}

TEST(MayRedirect, TheStartingHostOrItsRegistrableDomainOnTheSamePortOrTheDefault) {
  const struct {
    const char* start;
    const char* target;
    bool follow;
  } cases[] = {
      {"http://gallery.example:8637/a", "http://gallery.example:8637/b", true},
      {"http://gallery.example:8637/a", "https://gallery.example/b", true},
      {"http://gallery.example:8637/a", "http://gallery.example/b", true},
      {"http://gallery.example:8637/a", "https://gallery.example:8637/b", true},
      {"http://gallery.example:8637/a", "http://gallery.example:8638/b", false},
      {"http://gallery.example:8637/a", "https://gallery.example:80/b", false},
      {"http://gallery.example/a", "http://img.gallery.example/b", true},
      {"http://www.gallery.example/a", "http://gallery.example/b", true},
      {"http://gallery.example/a", "http://gallery.example.evil.example/b", false},
      {"http://gallery.example/a", "http://other.example/b", false},
      // The Public Suffix List decides where a registrable domain begins.
      {"http://a.photos.co.uk/a", "http://b.photos.co.uk/b", true},
      {"http://photos.co.uk/a", "http://other.co.uk/b", false},
      {"https://one.github.io/a", "https://two.github.io/b", false},
      {"http://localhost:8637/a", "http://localhost:8637/b", true},
      {"http://localhost:8637/a", "http://other.localhost:8637/b", false},
      // An address stays at that address and port.
      {"http://127.0.0.1:8637/a", "http://127.0.0.1:8637/b", true},
      {"http://127.0.0.1:8637/a", "https://127.0.0.1:8637/b", true},
      {"http://127.0.0.1:8637/a", "http://127.0.0.1/b", false},
      {"http://127.0.0.1:8637/a", "https://127.0.0.1/b", false},
      {"http://127.0.0.1:8637/a", "http://127.0.0.2:8637/b", false},
      {"http://127.0.0.1:8637/a", "http://localhost:8637/b", false},
      {"http://gallery.example/a", "http://127.0.0.1/b", false},
      {"http://[::1]:8637/a", "http://[::1]:8637/b", true},
      {"http://[::1]:8637/a", "http://[::1]:8638/b", false},
      // Neither a user part nor another scheme.
      {"http://gallery.example/a", "http://u@gallery.example/b", false},
      {"http://gallery.example/a", "ftp://gallery.example/b", false},
      {"http://gallery.example/a", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MayRedirect(c.start, c.target), c.follow) << c.start << " -> " << c.target;
  }
}

}  // namespace
}  // namespace transfer
