// Sending a request and reading its response.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/transfer/transfer.h"
#include "platform/wininet/handles.h"

namespace wininet {
namespace {

// Header text, as given, cut into lines at CR LF (a lone CR or LF also ends
// a line, so no line can smuggle in another header); empty lines go.
std::vector<std::string> HeaderLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string_view HeaderText(LPCSTR headers, DWORD length) {
  if (!headers) return {};
  if (length == kLengthFromNul) return std::string_view(headers);
  const std::string_view given(headers, length);
  return given.substr(0, given.find('\0'));  // a text ends at its NUL
}

// The proxy for plain-http requests from a list such as "http=host:port"
// or "host:port" (entries separated by spaces or semicolons).
std::string HttpProxy(const InternetObject& r) {
  if (r.accessType != INTERNET_OPEN_TYPE_PROXY) return {};
  std::string found;
  std::size_t start = 0;
  const std::string& list = r.proxyList;
  while (start < list.size()) {
    std::size_t end = list.find_first_of("; ", start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    start = end + 1;
    const auto eq = entry.find('=');
    if (eq == std::string::npos) {
      if (found.empty()) found = entry;
    } else if (entry.compare(0, eq, "http") == 0) {
      return entry.substr(eq + 1);
    }
  }
  return found;
}

// A host name curl can take as it is: letters, digits, '-', '.', '_'.
bool PlainHost(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
  });
}

transfer::TransferRequest BuildTransfer(const InternetObject& r, std::string_view headers,
                                        const void* optional, DWORD optionalLength) {
  const bool secure = (r.flags & INTERNET_FLAG_SECURE) != 0;
  INTERNET_PORT port = r.port;
  if (port == INTERNET_INVALID_PORT_NUMBER) {
    port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  }
  std::string path = r.path.empty() ? "/" : r.path;
  if (path.front() != '/') path.insert(0, "/");

  transfer::TransferRequest t;
  t.url = std::string(secure ? "https://" : "http://") + r.host + ":" + std::to_string(port) + path;
  t.method = r.verb;
  if (optional && optionalLength > 0) {
    const auto* p = static_cast<const std::uint8_t*>(optional);
    t.sendBody = true;
    t.body.assign(p, p + optionalLength);
  }
  t.headerLines = HeaderLines(headers);
  t.userAgent = r.agent;
  t.proxy = HttpProxy(r);
  if (r.flags & INTERNET_FLAG_NO_AUTO_REDIRECT) {
    t.redirects = transfer::RedirectPolicy::kNone;
  } else if (r.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS) {
    // An http request may go on to https; https never falls back to http.
    t.redirects = transfer::RedirectPolicy::kSameSchemeOrToHttps;
  } else {
    t.redirects = transfer::RedirectPolicy::kSameScheme;
  }
  t.cookieEngine = (r.flags & INTERNET_FLAG_NO_COOKIES) == 0;
  return t;
}

// The platform's error for each way a transfer can give no response.
using transfer::Failure;
constexpr std::pair<Failure, DWORD> kErrors[] = {
    {Failure::kNoSession, ERROR_INTERNET_INTERNAL_ERROR},
    {Failure::kBadAddress, ERROR_INTERNET_INVALID_URL},
    {Failure::kConnectFailed, ERROR_INTERNET_CANNOT_CONNECT},
    {Failure::kConnectTimedOut, ERROR_INTERNET_TIMEOUT},
    {Failure::kNoProgress, ERROR_INTERNET_TIMEOUT},
    {Failure::kDeadlinePassed, ERROR_INTERNET_TIMEOUT},
    {Failure::kBodyOverCap, ERROR_INTERNET_CONNECTION_ABORTED},
    {Failure::kHeadersOverCap, ERROR_HTTP_INVALID_SERVER_RESPONSE},
    {Failure::kRedirectOffSite, ERROR_HTTP_REDIRECT_FAILED},
    {Failure::kCancelled, ERROR_INTERNET_OPERATION_CANCELLED},
    {Failure::kBroken, ERROR_INTERNET_CONNECTION_ABORTED},
};

// Every failure of the list has its error.
constexpr bool EveryFailureHasItsError() {
  constexpr Failure kListed[] = {
#define PIXAROO_TRANSFER_FAILURE(name, text) Failure::name,
#include "platform/transfer/failure_list.def"
  };
  return std::all_of(std::begin(kListed), std::end(kListed), [](Failure f) {
    return std::any_of(std::begin(kErrors), std::end(kErrors),
                       [f](const auto& e) { return e.first == f; });
  });
}
static_assert(EveryFailureHasItsError(), "a transfer failure without its WinINet error");

DWORD ErrorFor(Failure failure) {
  for (const auto& [f, error] : kErrors) {
    if (f == failure) return error;
  }
  return ERROR_INTERNET_CONNECTION_ABORTED;
}

// Copies `text` NUL-terminated into the caller's buffer, as HttpQueryInfoA does.
BOOL CopyOut(const std::string& text, LPVOID buffer, DWORD* bufferLength) {
  const std::size_t needed = text.size() + 1;
  if (!buffer || *bufferLength < needed) {
    *bufferLength = static_cast<DWORD>(needed);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, text.c_str(), needed);
  *bufferLength = static_cast<DWORD>(text.size());
  return TRUE;
}

}  // namespace

BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength) {
  const auto r = Lookup(request, HandleKind::kRequest);
  if (!r) return FALSE;
  std::lock_guard lock(r->requestMutex);
  r->response.reset();
  if (!PlainHost(r->host)) {
    SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
    return FALSE;
  }
  transfer::TransferResult result = transfer::PerformTransfer(
      BuildTransfer(*r, HeaderText(headers, headersLength), optional, optionalLength));
  if (!result.ok()) {
    SetLastError(ErrorFor(result.error().failure));
    return FALSE;
  }
  auto response = std::make_unique<Response>();
  response->rawHeaders = std::move(result->rawHeaders);
  response->status = result->status;
  response->body = std::move(result->body);
  r->response = std::move(response);
  return TRUE;
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, DWORD* read) {
  if (!read) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *read = 0;
  const auto r = Lookup(file, HandleKind::kRequest);
  if (!r) return FALSE;
  std::lock_guard lock(r->requestMutex);
  if (!r->response || (!buffer && toRead > 0)) {
    SetLastError(r->response ? ERROR_INVALID_PARAMETER : ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return FALSE;
  }
  Response& resp = *r->response;
  const std::size_t n = std::min<std::size_t>(toRead, resp.body.size() - resp.readPos);
  if (n > 0) std::memcpy(buffer, resp.body.data() + resp.readPos, n);
  resp.readPos += n;
  *read = static_cast<DWORD>(n);
  return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, DWORD* bufferLength,
                    DWORD* index) {
  (void)index;
  const auto r = Lookup(request, HandleKind::kRequest);
  if (!r) return FALSE;
  if (!bufferLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(r->requestMutex);
  if (!r->response) {
    SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
    return FALSE;
  }
  switch (infoLevel) {
    case HTTP_QUERY_RAW_HEADERS_CRLF:
      return CopyOut(r->response->rawHeaders, buffer, bufferLength);
    case HTTP_QUERY_STATUS_CODE:
      return CopyOut(std::to_string(r->response->status), buffer, bufferLength);
    default:
      SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
      return FALSE;
  }
}

}  // namespace wininet
