#include <gtest/gtest.h>

#include "program/net/markers.h"
#include "program/net/url.h"

namespace pixaroo {
namespace {

TEST(BetweenMarkers, FindsTheFirstPairAndGivesEmptyWhenEitherIsMissing) {
  EXPECT_EQ(BetweenMarkers("a<b>x</b><b>y</b>", "<b>", "</b>"), "x");
  EXPECT_EQ(BetweenMarkers("a<b>x</b><b>y</b>", "<b>", "</b>", 5), "y");
  EXPECT_EQ(BetweenMarkers("no markers", "<b>", "</b>"), "");
  EXPECT_EQ(BetweenMarkers("<b>x", "<b>", "</b>"), "");
  EXPECT_EQ(BetweenMarkers("</b><b>x", "<b>", "</b>"), "");  // end only before start
  EXPECT_EQ(BetweenMarkers("<b></b>", "<b>", "</b>"), "");
  EXPECT_EQ(BetweenMarkers("key= spaced ;", "key=", ";"), " spaced ");  // not trimmed
  EXPECT_EQ(BetweenMarkers("", "", ""), "");
}

TEST(BetweenMarkers, PlaceholderStandsForAQuoteAndCaseIsIgnoredByDefault) {
  const Text quote = kQuotePlaceholder;  // #引号
  EXPECT_EQ(BetweenMarkers("src=\"a.jpg\" alt", "src=" + quote, quote), "a.jpg");
  EXPECT_EQ(BetweenMarkers("src=\"a.jpg\" alt", "src=\"", "\""), "a.jpg");
  EXPECT_EQ(BetweenMarkers("SRC=\"a.jpg\"", "src=\"", "\""), "a.jpg");
  EXPECT_EQ(BetweenMarkers("SRC=\"a.jpg\"", "src=\"", "\"", 0, true), "");
  // A marker inside a double-byte character is no match ("更" is B8 FC).
  EXPECT_EQ(BetweenMarkers("\xB8\xFC|x|", "\xFC|", "|"), "");
}

TEST(HeaderValue, TakesTheTrimmedTextAfterTheFirstColon) {
  EXPECT_EQ(HeaderValue("Location:   http://h.com:8080/p?a=b  "), "http://h.com:8080/p?a=b");
  EXPECT_EQ(HeaderValue("no colon here"), "");
  EXPECT_EQ(HeaderValue("Empty:"), "");
  EXPECT_EQ(HeaderValue("Empty:    "), "");
}

struct UrlCase {
  const char* url;
  const char* host;
  const char* hostWithPort;
  int port;
  const char* path;
};

TEST(UrlParsing, SplitsAddressesAsTextWithoutValidating) {
  const UrlCase cases[] = {
      {"HTTP://WWW.Example.COM/Path/File.HTML", "www.example.com", "www.example.com", 80,
       "/Path/File.HTML"},
      {"https://a.b.com/x", "a.b.com", "a.b.com", 443, "/x"},
      {"HTTPS://a.b.com:8443/x", "a.b.com", "a.b.com:8443", 8443, "/x"},
      {"http://h.com:8080/p?q=1", "h.com", "h.com:8080", 8080, "/p?q=1"},
      {"www.Site.com/a/B", "www.site.com", "www.site.com", 80, "/a/B"},
      {"http://h.com", "h.com", "h.com", 80, "/"},
      {"http://h.com?q=1", "h.com?q=1", "h.com?q=1", 80, "/"},
      // User information is not recognised.
      {"http://user:pw@host.com/p", "user", "user:pw@host.com", 0, "/p"},
      // The one-letter host first occurs inside the scheme.
      {"https://s/x", "s", "s", 443, "//s/x"},
      // An inner "http://" is taken as the address.
      {"search?u=http://x.com/y", "x.com", "x.com", 80, "/y"},
      {"", "", "", 80, "/"},
      {"http://h.com:/p", "h.com", "h.com:", 0, "/p"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(UrlHost(c.url), c.host);
    EXPECT_EQ(UrlHost(c.url, false, true), c.hostWithPort);
    EXPECT_EQ(UrlPort(c.url), c.port);
    EXPECT_EQ(UrlPath(c.url), c.path);
  }
}

TEST(UrlParsing, MainDomainKeepsTheLastTwoLabelsThenDropsThePort) {
  EXPECT_EQ(UrlHost("http://a.b.Example.com:81/x", true), "example.com");
  EXPECT_EQ(UrlHost("http://a.b.example.com:81/x", true, true), "example.com:81");
  EXPECT_EQ(UrlHost("http://localhost/x", true), "localhost");
}

}  // namespace
}  // namespace pixaroo
