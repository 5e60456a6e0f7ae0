#include "platform/transfer/same_site.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <libpsl.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/transfer/url_encoding.h"

namespace transfer {
namespace {

struct UrlDeleter {
  void operator()(CURLU* h) const { curl_url_cleanup(h); }
};
struct CurlTextDeleter {
  void operator()(char* p) const { curl_free(p); }
};

// The parts of an address that decide where a request goes.
struct Origin {
  std::string scheme;
  std::string host;
  std::string port;
  bool credentials = false;  // a user name or password in the address
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
  return s;
}

// One part, or nothing when the address has none.
std::optional<std::string> Part(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* raw = nullptr;
  if (curl_url_get(url, part, &raw, flags) != CURLUE_OK) return std::nullopt;
  std::unique_ptr<char, CurlTextDeleter> owned(raw);
  return std::string(raw);
}

// The address as a transfer would parse it (same options as CURLOPT_URL
// with CURLOPT_PATH_AS_IS); nothing when it cannot be parsed.
std::optional<Origin> ParseOrigin(const std::string& address) {
  std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url) return std::nullopt;
  const std::string safe = EncodeUnsafeUrlBytes(address.substr(0, address.find('\0')));
  constexpr unsigned kParseFlags = CURLU_GUESS_SCHEME | CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS;
  if (curl_url_set(url.get(), CURLUPART_URL, safe.c_str(), kParseFlags) != CURLUE_OK) {
    return std::nullopt;
  }
  auto scheme = Part(url.get(), CURLUPART_SCHEME);
  auto host = Part(url.get(), CURLUPART_HOST);
  auto port = Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || !port) return std::nullopt;
  Origin origin{Lower(*scheme), Lower(*host), *port};
  origin.credentials = Part(url.get(), CURLUPART_USER).has_value() ||
                       Part(url.get(), CURLUPART_PASSWORD).has_value() ||
                       Part(url.get(), CURLUPART_OPTIONS).has_value();
  return origin;
}

// An IPv4 address, or an IPv6 one as the parser gives it (in brackets).
bool IsAddress(const std::string& host) {
  if (host.starts_with('[')) return true;
  in_addr v4{};
  return inet_pton(AF_INET, host.c_str(), &v4) == 1;
}

bool IsDefaultPort(const Origin& o) {
  return (o.scheme == "http" && o.port == "80") || (o.scheme == "https" && o.port == "443");
}

// The Public Suffix List, loaded once (the newest of the library's own
// copy and the system's); null when neither can be read.
const psl_ctx_t* SuffixList() {
  static const psl_ctx_t* const list = psl_latest(nullptr);
  return list;
}

// The host's registrable domain (one label under its public suffix), or
// empty when it has none: a public suffix itself, or a name the list
// cannot judge.
std::string RegistrableDomain(const std::string& host) {
  const psl_ctx_t* list = SuffixList();
  if (list == nullptr) return {};
  const char* domain = psl_registrable_domain(list, host.c_str());
  return domain == nullptr ? std::string() : std::string(domain);
}

}  // namespace

bool MayRedirect(const std::string& start, const std::string& target) {
  const auto from = ParseOrigin(start);
  const auto to = ParseOrigin(target);
  if (!from || !to || to->credentials) return false;
  if (to->scheme != "http" && to->scheme != "https") return false;
  if (IsAddress(from->host) || IsAddress(to->host)) {
    return to->host == from->host && to->port == from->port;
  }
  if (to->port != from->port && !IsDefaultPort(*to)) return false;
  if (to->host == from->host) return true;
  const std::string domain = RegistrableDomain(from->host);
  return !domain.empty() && domain == RegistrableDomain(to->host);
}

bool SameSite(const std::string& url, const std::string& site) {
  const auto u = ParseOrigin(url);
  const auto s = ParseOrigin(site);
  return u && s && !u->credentials && u->scheme == s->scheme && u->host == s->host &&
         u->port == s->port;
}

bool SameHost(const std::string& a, const std::string& b) {
  const auto x = ParseOrigin(a);
  const auto y = ParseOrigin(b);
  return x && y && x->host == y->host && x->port == y->port;
}

}  // namespace transfer
