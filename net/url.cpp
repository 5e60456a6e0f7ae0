#include "net/url.h"

#include "net/markers.h"

namespace pixaroo {
namespace {

bool IsHttps(const Text& url) { return korvex::ToLower(korvex::Left(url, 5)) == "https"; }

}  // namespace

Text UrlHost(const Text& url, bool mainDomainOnly, bool keepPort) {
  Text t = korvex::ToLower(url);
  if (korvex::Right(t, 1) != "/") t += "/";  // the host always has an end marker
  if (korvex::Left(t, 8) == "https://") {
    t = BetweenMarkers(t, "https://", "/");
  } else {
    if (korvex::Find(t, "http://") == -1) t = "http://" + t;
    t = BetweenMarkers(t, "http://", "/");
  }
  if (mainDomainOnly) {
    const korvex::TextArray labels = korvex::Split(t, ".");
    if (labels.size() > 1) t = labels[labels.size() - 2] + "." + labels.back();
  }
  if (keepPort) return t;
  const int colon = korvex::Find(t, ":");
  return colon == -1 ? t : korvex::Left(t, colon - 1);
}

int UrlPort(const Text& url) {
  const Text hostPort = UrlHost(url, false, true);
  const int colon = korvex::FindLast(hostPort, ":");
  if (colon != -1) return korvex::ToInt(korvex::Mid(hostPort, colon + 1, korvex::Len(hostPort)));
  return IsHttps(url) ? kDefaultHttpsPort : kDefaultHttpPort;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url);
  const int h = korvex::Find(url, host, 1, true);
  // An empty host is never found; the search for '/' then starts at the front.
  const int slash = korvex::Find(url, "/", h == -1 ? 1 : h);
  if (slash == -1) return "/";
  return korvex::Mid(url, slash, korvex::Len(url));
}

}  // namespace pixaroo
