#include "runtime/inet/http_read.h"

#include "runtime/inet/transfer.h"

namespace korvex {

Bytes HttpRead(const std::string& url) {
  TransferRequest request;
  // A text ends at its first NUL byte.
  request.url = url.substr(0, url.find('\0'));
  request.redirects = RedirectPolicy::kAny;
  TransferResult result = PerformTransfer(request);
  return result.ok ? std::move(result.body) : Bytes{};
}

}  // namespace korvex
