#include "program/net/url.h"

#include "program/net/markers.h"

namespace pixaroo {
namespace {

bool IsHttps(const Text& url) { return base::ToLower(base::Left(url, 5)) == "https"; }

}  // namespace

Text UrlHost(const Text& url, bool mainDomainOnly, bool keepPort) {
  Text t = base::ToLower(url);
  if (base::Right(t, 1) != "/") t += "/";  // the host always has an end marker
  if (base::Left(t, 8) == "https://") {
    t = BetweenMarkers(t, "https://", "/");
  } else {
    if (base::Find(t, "http://") == -1) t = "http://" + t;
    t = BetweenMarkers(t, "http://", "/");
  }
  if (mainDomainOnly) {
    const base::TextArray labels = base::Split(t, ".");
    if (labels.size() > 1) t = labels[labels.size() - 2] + "." + labels.back();
  }
  if (keepPort) return t;
  const int colon = base::Find(t, ":");
  return colon == -1 ? t : base::Left(t, colon - 1);
}

int UrlPort(const Text& url) {
  const Text hostPort = UrlHost(url, false, true);
  const int colon = base::FindLast(hostPort, ":");
  if (colon != -1) return base::ToInt(base::Mid(hostPort, colon + 1, base::Len(hostPort)));
  return IsHttps(url) ? kDefaultHttpsPort : kDefaultHttpPort;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url);
  const int h = base::Find(url, host, 1, true);
  // An empty host is never found; the search for '/' then starts at the front.
  const int slash = base::Find(url, "/", h == -1 ? 1 : h);
  if (slash == -1) return "/";
  return base::Mid(url, slash, base::Len(url));
}

}  // namespace pixaroo
