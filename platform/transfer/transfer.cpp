#include "platform/transfer/transfer.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/transfer/curl_session.h"
#include "platform/transfer/same_site.h"
#include "platform/transfer/test_settings.h"
#include "platform/transfer/transfer_limits.h"
#include "platform/transfer/url_encoding.h"

namespace transfer {
namespace {

// What the callbacks of one exchange collect.
struct Exchange {
  ProgressCounter progress;
  std::size_t maxBody = 0;
  std::string rawHeaders;
  bool headEnded = false;  // the blank line after the header lines came
  CURL* easy = nullptr;    // the session's handle, for the response's length
  base::Bytes body;
  // Which cap a callback hit, ending the transfer.
  bool headersOverCap = false;
  bool bodyOverCap = false;
};

std::string TrustedPem() {
  std::lock_guard lock(TrustMutex());
  return TrustedPemLocked();
}

SlistPtr Routes() {
  std::lock_guard lock(RouteMutex());
  curl_slist* list = nullptr;
  for (const std::string& r : RoutesLocked()) {
    if (curl_slist* grown = curl_slist_append(list, r.c_str())) list = grown;
  }
  return SlistPtr(list);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), s.begin(), [](char a, char b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
  });
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
    return StartsWithNoCase(l, name) && l.size() > name.size() && l[name.size()] == ':';
  });
}

// Text up to the first CR, LF or NUL: nothing may end a header line early.
std::string OneLine(std::string_view s) {
  return std::string(s.substr(0, s.find_first_of(std::string_view("\r\n\0", 3))));
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& ex = *static_cast<Exchange*>(user);
  const size_t n = size * count;
  ex.progress.bytes += n;
  std::string_view line(data, n);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // A status line starts a new response (an interim 1xx one came before);
  // lines after the blank line are trailers, not part of the block.
  if (line.starts_with("HTTP/")) {
    ex.rawHeaders.clear();
    ex.headEnded = false;
  } else if (ex.headEnded) {
    return n;
  }
  if (ex.rawHeaders.size() + line.size() + 2 > kMaxHeaderBlockBytes) {
    ex.headersOverCap = true;
    return 0;  // fails the transfer
  }
  ex.rawHeaders.append(line);
  ex.rawHeaders.append("\r\n");
  ex.headEnded = line.empty();
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& ex = *static_cast<Exchange*>(user);
  const size_t n = size * count;
  ex.progress.bytes += n;
  if (ex.body.size() + n > ex.maxBody) {
    ex.bodyOverCap = true;
    return 0;  // fails the transfer
  }
  if (ex.body.capacity() == 0) {
    // A stated length is room taken once, not a buffer doubled on the way.
    curl_off_t length = -1;
    curl_easy_getinfo(ex.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    ex.body.reserve(std::max(n, BodyBytesToReserve(length, ex.maxBody)));
  }
  ex.body.insert(ex.body.end(), data, data + n);
  return n;
}

SlistPtr BuildHeaderList(const TransferRequest& req, bool withBody) {
  curl_slist* list = nullptr;
  auto add = [&](const std::string& line) {
    if (curl_slist* grown = curl_slist_append(list, line.c_str())) list = grown;
  };
  for (const auto& l : req.headerLines) add(OneLine(l));
  // curl adds these on its own; a bare "Name:" line keeps them out.
  if (!HasHeader(req.headerLines, "Accept")) add("Accept:");
  if (!HasHeader(req.headerLines, "Expect")) add("Expect:");
  if (withBody && !HasHeader(req.headerLines, "Content-Type")) add("Content-Type:");
  return SlistPtr(list);
}

void SetMethod(CURL* easy, const std::string& method, bool sendBody, const base::Bytes& body) {
  if (method == "HEAD") {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (sendBody || method == "POST") {
    static const char kEmpty[] = "";
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS,
                     body.empty() ? kEmpty : reinterpret_cast<const char*>(body.data()));
    if (method != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
  } else if (method == "GET") {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
  }
}

bool IsHttps(std::string_view url) { return StartsWithNoCase(url, "https://"); }

// Why a run that curl ended with `code` gave no response.
Failure FailureOf(CURLcode code, const Exchange& ex) {
  switch (code) {
    case CURLE_FAILED_INIT:
      return Failure::kNoSession;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return Failure::kBadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      return Failure::kConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:  // the only time-out curl is given
      return Failure::kConnectTimedOut;
    case CURLE_FILESIZE_EXCEEDED:  // the announced length is over the cap
      return Failure::kBodyOverCap;
    case CURLE_WRITE_ERROR:
      if (ex.headersOverCap) return Failure::kHeadersOverCap;
      if (ex.bodyOverCap) return Failure::kBodyOverCap;
      return Failure::kBroken;
    default:
      return Failure::kBroken;
  }
}

// The reason a driven run gave no response; none when it gave one.
std::optional<TransferError> ReasonOf(const Driven& run, const Exchange& ex) {
  switch (run.stop) {
    case Stop::kCancelled:
      return TransferError{Failure::kCancelled, ""};
    case Stop::kNoProgress:
      return TransferError{Failure::kNoProgress, ""};
    case Stop::kDeadline:
      return TransferError{Failure::kDeadlinePassed, ""};
    case Stop::kNone:
      break;
  }
  if (run.code == CURLE_OK) return std::nullopt;
  return TransferError{FailureOf(run.code, ex), curl_easy_strerror(run.code)};
}

// Sets up and runs one request/response on the session; the reason when no
// whole response came.
std::optional<TransferError> RunOnce(Session& s, const TransferRequest& req, const std::string& url,
                                     Exchange& ex, const TransferLimits& limits) {
  CURL* easy = s.easy.get();
  ex.easy = easy;
  const std::string safeUrl = EncodeUnsafeUrlBytes(url);
  if (safeUrl.size() > kMaxUrlBytes) {
    return TransferError{Failure::kBadAddress,
                         "longer than " + std::to_string(kMaxUrlBytes) + " bytes once encoded"};
  }
  const std::string agent = OneLine(req.userAgent);
  const bool withBody = req.sendBody || req.method == "POST";
  SlistPtr headers = BuildHeaderList(req, withBody);
  const std::string proxy = (req.proxy.empty() || IsHttps(url)) ? "" : "http://" + req.proxy;
  const std::string trusted = TrustedPem();
  SlistPtr routes = Routes();

  curl_easy_setopt(easy, CURLOPT_URL, safeUrl.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(limits.connectTimeout.count()));
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(ex.maxBody));
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());  // "" also ignores proxy variables
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(easy, CURLOPT_CONNECT_TO, routes.get());
  if (!trusted.empty()) {
    curl_blob blob{const_cast<char*>(trusted.data()), trusted.size(), CURL_BLOB_COPY};
    curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
  }
  if (!agent.empty() && !HasHeader(req.headerLines, "User-Agent")) {
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &ex);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &ex);
  SetMethod(easy, req.method, req.sendBody, req.body);
  const Driven run = DriveTransfer(s, ex.progress, limits.noProgressTimeout);
  // The header list must outlive the transfer; the options go with it.
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(easy, CURLOPT_CONNECT_TO, nullptr);
  return ReasonOf(run, ex);
}

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsHttp(std::string_view url) { return StartsWithNoCase(url, "http://"); }

// A redirect to another host takes none of the caller's cookies,
// credentials or the page it came from along.
void DropHostLines(std::vector<std::string>& lines) {
  std::erase_if(lines, [](const std::string& l) {
    return HasHeader({l}, "Cookie") || HasHeader({l}, "Authorization") || HasHeader({l}, "Referer");
  });
}

// Whether the policy lets a redirect from `from` go on to `to`.
bool MayFollow(RedirectPolicy policy, std::string_view from, std::string_view to) {
  const bool toHttp = IsHttp(to);
  const bool toHttps = IsHttps(to);
  switch (policy) {
    case RedirectPolicy::kNone:
      return false;
    case RedirectPolicy::kSameScheme:
      return (toHttp && IsHttp(from)) || (toHttps && IsHttps(from));
    case RedirectPolicy::kSameSchemeOrToHttps:
      return (toHttp && IsHttp(from)) || toHttps;
  }
  return false;
}

// What a response leads to: nothing more (final), the next address, or a
// refusal (a redirect off the site the transfer started at).
struct Hop {
  bool refused = false;
  std::string next;  // empty: this response is final; refused: where it led
};

Hop NextHop(CURL* easy, const TransferRequest& req, const std::string& start, long status) {
  if (req.redirects == RedirectPolicy::kNone || !IsRedirect(status)) return {};
  char* target = nullptr;
  curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &target);
  if (!target) return {};
  const std::string t(target);
  if (!MayFollow(req.redirects, req.url, t)) return {};
  if (!MayRedirect(start, t)) return Hop{.refused = true, .next = t};
  return Hop{.next = t};
}

std::size_t BodyCap(const TransferLimits& limits, BodyKind kind) {
  return kind == BodyKind::kPhoto ? limits.maxBodyBytes
                                  : std::min(limits.maxPageBytes, limits.maxBodyBytes);
}

}  // namespace

void CloseIdleConnections() { CloseIdleSessions(); }

const char* FailureText(Failure failure) {
  static constexpr const char* kTexts[] = {
#define PIXAROO_TRANSFER_FAILURE(name, text) text,
#include "platform/transfer/failure_list.def"
  };
  return kTexts[static_cast<std::size_t>(failure)];
}

std::string Describe(const TransferError& error) {
  std::string said = FailureText(error.failure);
  if (!error.detail.empty()) said += ": " + error.detail;
  return said;
}

TransferResult PerformTransfer(const TransferRequest& request) {
  std::unique_ptr<Session> session = TakeSession();
  if (!session) return TransferError{Failure::kNoSession, ""};
  if (request.cookieEngine) UseSharedCookies(*session);
  const TransferLimits limits = CurrentTransferLimits();
  // One deadline for the whole transfer, every redirect included.
  const auto deadline = std::chrono::steady_clock::now() + limits.deadline;
  TransferRequest hop = request;
  std::optional<TransferResult> result;
  for (int redirects = 0;; ++redirects) {
    Exchange ex;
    ex.maxBody = BodyCap(limits, request.kind);
    ex.progress.cancel = request.cancel;
    ex.progress.deadline = deadline;
    if (std::optional<TransferError> failed = RunOnce(*session, hop, hop.url, ex, limits)) {
      result.emplace(std::move(*failed));
      break;
    }
    long status = 0;
    curl_easy_getinfo(session->easy.get(), CURLINFO_RESPONSE_CODE, &status);
    Hop to = redirects < kMaxRedirects ? NextHop(session->easy.get(), hop, request.url, status)
                                       : Hop{};
    if (to.refused) {
      result.emplace(TransferError{Failure::kRedirectOffSite, "to " + to.next});
      break;
    }
    std::string next = std::move(to.next);
    if (next.empty()) {
      result.emplace(TransferResponse{status, std::move(ex.rawHeaders), std::move(ex.body)});
      break;
    }
    // As browsers do: 303, and 301/302 after POST, go on with GET and no body.
    if (status == 303 || ((status == 301 || status == 302) && hop.method == "POST")) {
      if (hop.method != "HEAD") hop.method = "GET";
      hop.sendBody = false;
      hop.body.clear();
    }
    if (!SameHost(hop.url, next)) DropHostLines(hop.headerLines);
    hop.url = std::move(next);
  }
  ReturnSession(std::move(session));  // a cookie session is closed instead
  return std::move(*result);
}

}  // namespace transfer
