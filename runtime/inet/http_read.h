// The runtime's HTTP read (internet library): fetches an address and returns
// the response body.
//
// Redirects are followed as the web request follows them (same scheme, or
// http to https; never https to http), connections are reused across calls
// and threads, and the limits of transfer_limits.h apply: a connect
// time-out, a no-progress time-out, a whole-transfer deadline and a
// body-size cap by kind (a page or a photo). A redirect that would lead off
// the site the read started at fails the read (transfer.h). Hitting a
// limit, a network failure or the cancel switch fails the read, with the
// reason (transfer::TransferError); a response with an error status is
// still a response, its status beside its body. Blocks the calling thread
// until the body has arrived. Callable from any thread.
#pragma once

#include <atomic>
#include <string>

#include "base/bytes.h"
#include "base/error_or.h"
#include "platform/transfer/transfer.h"
#include "runtime/services/services.h"

namespace korvex {

// A cancellation scope of the service table (runtime/services/services.h).
struct TransferScope {
  std::atomic<bool> cancelled{false};
};

// What is read, which decides the body cap (transfer_limits.h).
enum class ReadKind { kPage, kPhoto };

// What a read that got a whole response got.
struct HttpResponse {
  long status = 0;  // the final response's, e.g. 404 with its page
  base::Bytes body;
};

// A read of `kind`, failing promptly once `scope` (when given) is cancelled:
// the response, or why there is none.
base::ErrorOr<HttpResponse, transfer::TransferError> HttpReadResponse(const std::string& url,
                                                                      ReadKind kind,
                                                                      const TransferScope* scope);

// The service's read: the body, or why there is none (the transfer's
// failure and its description). A page (an item page, the contact picture),
// or a read as above.
ReadResult HttpReadResult(const std::string& url);
ReadResult HttpReadResult(const std::string& url, ReadKind kind, const TransferScope* scope);

// The same read's body, or the empty byte set when it failed.
base::Bytes HttpRead(const std::string& url);
base::Bytes HttpRead(const std::string& url, ReadKind kind, const TransferScope* scope);

// True when `url`, as this read would parse it, has the scheme, host and
// port of `site` and carries no user name or password.
bool SameSite(const std::string& url, const std::string& site);

}  // namespace korvex
