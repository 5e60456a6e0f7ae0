// One HTTP exchange over libcurl, the engine under the runtime's HTTP read
// and the WinINet-shaped layer.
//
// PerformTransfer sends one request, follows redirects as asked, and returns
// the final response's status, raw header block and body, all within the
// limits of transfer_limits.h, or the reason there is none
// (failure_list.def). Connections are kept in a process-wide pool of curl
// sessions, so sequential requests to one host, from any thread, reuse the
// connection. The caller owns the request and the result; no state of the
// caller's is kept. Safe to call from any number of threads at once.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/error_or.h"

namespace transfer {

using base::Bytes;

// Which redirects a transfer follows; a redirect it does not follow is the
// final response. The scheme compared is that of the address the redirect
// answered, hop by hop. A redirect the policy would follow is checked first
// against the address the transfer started at (same_site.h, MayRedirect):
// one that would leave the site fails the transfer, nothing read from it.
// A redirect to another host or port takes none of the caller's Cookie,
// Authorization or Referer lines along.
enum class RedirectPolicy {
  kNone,                 // the first response is final, redirect or not
  kSameScheme,           // http -> http and https -> https only
  kSameSchemeOrToHttps,  // those, and http -> https; never https -> http
};

// What a response body is, which decides its cap (transfer_limits.h).
enum class BodyKind {
  kPage,   // a web page or a small picture: kMaxPageBodyBytes
  kPhoto,  // a photo file: kMaxBodyBytes
};

struct TransferRequest {
  std::string url;  // absolute http:// or https:// address
  std::string method = "GET";
  bool sendBody = false;  // POST always sends its body, even an empty one
  base::Bytes body;
  // Header lines sent as given, in order, without line ends.
  std::vector<std::string> headerLines;
  // Sent as User-Agent unless a header line carries its own; empty: none.
  std::string userAgent;
  // "host:port" of a proxy for plain-http requests; empty: direct.
  std::string proxy;
  RedirectPolicy redirects = RedirectPolicy::kSameSchemeOrToHttps;
  BodyKind kind = BodyKind::kPage;
  // Keep cookies in the process-wide cookie store (sent and stored).
  bool cookieEngine = false;
  // When set and true, the transfer fails as under the cancel switch; it
  // must outlive the call.
  const std::atomic<bool>* cancel = nullptr;
};

// A whole response that arrived within the limits; an error status (404)
// is a response too.
struct TransferResponse {
  long status = 0;
  // The final response's header block: status line first, every line ended
  // by CR LF, a blank line last.
  std::string rawHeaders;
  base::Bytes body;
};

// Why a transfer gave no response (failure_list.def).
enum class Failure {
#define PIXAROO_TRANSFER_FAILURE(name, text) name,
#include "platform/transfer/failure_list.def"
};

// The failure's text as the list says it, e.g. "no progress".
const char* FailureText(Failure failure);

struct TransferError {
  Failure failure = Failure::kBroken;
  std::string detail;  // what more is known, e.g. curl's own words; may be empty
};

// "<failure text>: <detail>", or the text alone without a detail.
std::string Describe(const TransferError& error);

using TransferResult = base::ErrorOr<TransferResponse, TransferError>;

TransferResult PerformTransfer(const TransferRequest& request);

// Closes the connections kept open for reuse (transfers running now keep
// theirs). Later transfers open new ones as needed.
void CloseIdleConnections();

// Tests only: transfers starting from now on trust the certificates of
// `pem` (PEM text) instead of the system's; an empty text restores the
// system's. Not for use while transfers run. Defined in the test-only
// library platform_transfer_testing.
void TrustCertificatesForTesting(std::string pem);

// Tests only: transfers starting from now on connect to other places than
// the names say, each entry "HOST:PORT:TO-HOST:TO-PORT" (an empty PORT: any
// port; an empty TO-PORT: the same), so that a test can serve made-up host
// names from loopback; the addresses, their checks and the Host line stay
// as given. An empty list restores the resolver. Not for use while
// transfers run. Defined in platform_transfer_testing.
void RouteHostsForTesting(std::vector<std::string> routes);

}  // namespace transfer
