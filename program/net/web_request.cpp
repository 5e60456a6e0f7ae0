#include "program/net/web_request.h"

#include "platform/wininet/wininet.h"
#include "program/net/cookies.h"
#include "program/net/markers.h"
#include "program/net/url.h"
#include "program/routines/dll_functions.h"

namespace pixaroo {
namespace {

namespace wi = wininet;

// Largest raw header block asked for after the first query came back short
// (the layer itself refuses longer blocks).
constexpr wi::DWORD kMaxRawHeaderBuffer = 1u << 20;

// Owns one WinINet handle; closing it early is explicit (Close).
class Handle {
 public:
  explicit Handle(wi::HINTERNET h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  wi::HINTERNET get() const { return h_; }
  void Close() {
    if (h_) dll::InternetCloseHandle(h_);
    h_ = nullptr;
  }

 private:
  wi::HINTERNET h_;
};

Text AgentFor(const Text& headers) {
  if (base::Find(headers, "User-Agent:", 1, true) == -1) return kDefaultUserAgent;
  Text agent = base::TrimSpaces(BetweenMarkers(headers, "User-Agent:", "\r\n"));
  if (agent.empty()) agent = HeaderValue(headers);
  return agent;
}

wi::DWORD RequestFlags(const Text& url, bool noRedirect) {
  wi::DWORD flags =
      wi::INTERNET_FLAG_RELOAD | wi::INTERNET_FLAG_NEED_FILE | wi::INTERNET_FLAG_NO_COOKIES;
  if (noRedirect) flags |= wi::INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (base::ToLower(base::Left(url, 5)) == "https") {
    flags |= wi::INTERNET_FLAG_SECURE;
  } else {
    flags |= wi::INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  }
  return flags;
}

Bytes ReadBody(wi::HINTERNET request) {
  Bytes body;
  wi::DWORD count = 0;
  for (;;) {
    Bytes chunk(kReadChunk, 0);
    dll::InternetReadFile(request, chunk.data(), kReadChunk, &count);
    if (count == 0) break;
    body.insert(body.end(), chunk.begin(), chunk.begin() + count);
  }
  return body;
}

// The raw header block; asks again with the size the layer reports when the
// block does not fit. Empty when no response arrived.
Text QueryRawHeaders(wi::HINTERNET request) {
  Text buffer = base::Spaces(kRawHeaderBuffer);
  wi::DWORD length = kRawHeaderBuffer;
  bool ok = dll::HttpQueryInfoA(request, wi::HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length,
                                nullptr);
  // A block that did not fit: the layer reports the size it needs.
  if (!ok && length > kRawHeaderBuffer && length <= kMaxRawHeaderBuffer) {
    buffer = base::Spaces(static_cast<int>(length));
    ok = dll::HttpQueryInfoA(request, wi::HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length,
                             nullptr);
  }
  return ok ? Text(buffer.c_str()) : Text();
}

}  // namespace

void ParseResponseHeaders(const Text& rawHeaders, Text& redirect, Text& received) {
  for (const Text& line : base::Split(rawHeaders, "\r\n")) {
    if (base::Find(line, "Location:") != -1) redirect = HeaderValue(line);
    if (base::Find(line, "Set-Cookie") != -1) {
      received += base::TrimSpaces(BetweenMarkers(line, "Set-Cookie:", ";"));
      received += kCookieSeparator;
    }
  }
}

Text DefaultHeaderBlock(const Text& url) {
  return "Referer: " + url +
         "\r\nAccept: */*"
         "\r\nAccept-Language: zh-cn"
         "\r\nUser-Agent: " +
         kDefaultUserAgent + "\r\nContent-Type: application/x-www-form-urlencoded";
}

Bytes WebRequest(const WebRequestParams& p) {
  const Text verb = p.method == 1 ? "POST" : "GET";
  Text headers = p.headers ? *p.headers : Text();
  const Text agent = AgentFor(headers);

  const Text proxyList = p.proxy ? "http=" + *p.proxy : Text();
  Handle internet(
      p.proxy ? dll::InternetOpenA(agent.c_str(), wi::INTERNET_OPEN_TYPE_PROXY, proxyList.c_str(),
                                   "", 0)
              : dll::InternetOpenA(agent.c_str(), wi::INTERNET_OPEN_TYPE_DIRECT, "", "", 0));
  if (!internet.get()) return {};
  const Text host = UrlHost(p.url);
  Handle connection(dll::InternetConnectA(internet.get(), host.c_str(),
                                          static_cast<wi::INTERNET_PORT>(UrlPort(p.url)), "", "",
                                          wi::INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection.get()) return {};
  const Text path = UrlPath(p.url);
  Handle request(dll::HttpOpenRequestA(connection.get(), verb.c_str(), path.c_str(), kHttpVersion,
                                       nullptr, nullptr, RequestFlags(p.url, p.noRedirect), 0));
  if (!request.get()) return {};

  // From here on the caller's variables are written.
  Text sendCookies = p.sendCookies ? *p.sendCookies : Text();
  if (headers.empty()) headers = DefaultHeaderBlock(p.url);
  if (!sendCookies.empty()) headers += "\r\nCookie: " + sendCookies;
  if (p.headers) *p.headers = headers;

  const auto headerLength = static_cast<wi::DWORD>(headers.size());
  if (p.method == 0) {
    dll::HttpSendRequestA(request.get(), headers.c_str(), headerLength, nullptr, 0);
  } else {
    Bytes body = p.postBytes ? *p.postBytes : Bytes();
    if (body.empty()) {
      body = base::TextToBytes(p.postText);
      if (p.postBytes) *p.postBytes = body;
    }
    dll::HttpSendRequestWithBody(request.get(), headers.c_str(), headerLength,
                                 body.empty() ? nullptr : body.data(),
                                 static_cast<wi::DWORD>(body.size()));
  }
  Bytes result = ReadBody(request.get());
  const Text rawHeaders = QueryRawHeaders(request.get());
  if (p.rawHeaders) *p.rawHeaders = rawHeaders;
  request.Close();
  connection.Close();
  internet.Close();

  Text received;
  Text redirect;
  ParseResponseHeaders(rawHeaders, redirect, received);
  if (redirect.empty()) redirect = rawHeaders;
  if (p.redirectUrl) *p.redirectUrl = redirect;
  MergeCookies(sendCookies, received);
  if (p.sendCookies) *p.sendCookies = sendCookies;
  if (p.receivedCookies) *p.receivedCookies = received;
  return result;
}

}  // namespace pixaroo
