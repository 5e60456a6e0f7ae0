#include "runtime/inet/http_read.h"

#include "platform/transfer/same_site.h"

namespace korvex {

base::ErrorOr<HttpResponse, transfer::TransferError> HttpReadResponse(const std::string& url,
                                                                      ReadKind kind,
                                                                      const TransferScope* scope) {
  transfer::TransferRequest request;
  request.cancel = scope != nullptr ? &scope->cancelled : nullptr;
  // A text ends at its first NUL byte.
  request.url = url.substr(0, url.find('\0'));
  request.redirects = transfer::RedirectPolicy::kSameSchemeOrToHttps;
  request.kind = kind == ReadKind::kPhoto ? transfer::BodyKind::kPhoto : transfer::BodyKind::kPage;
  transfer::TransferResult result = transfer::PerformTransfer(request);
  if (!result.ok()) return result.error();
  return HttpResponse{result->status, std::move(result->body)};
}

// The service table's reasons are the transfer's, one list in one order.
#define PIXAROO_TRANSFER_FAILURE(name, text) \
  static_assert(static_cast<int>(ReadFailure::name) == static_cast<int>(transfer::Failure::name));
#include "platform/transfer/failure_list.def"

ReadResult HttpReadResult(const std::string& url) {
  return HttpReadResult(url, ReadKind::kPage, nullptr);
}

ReadResult HttpReadResult(const std::string& url, ReadKind kind, const TransferScope* scope) {
  auto read = HttpReadResponse(url, kind, scope);
  if (read.ok()) return std::move(read->body);
  return ReadError{static_cast<ReadFailure>(read.error().failure), transfer::Describe(read.error())};
}

base::Bytes HttpRead(const std::string& url) { return HttpRead(url, ReadKind::kPage, nullptr); }

base::Bytes HttpRead(const std::string& url, ReadKind kind, const TransferScope* scope) {
  ReadResult read = HttpReadResult(url, kind, scope);
  return read.ok() ? std::move(read).value() : base::Bytes{};
}

bool SameSite(const std::string& url, const std::string& site) {
  return transfer::SameSite(url, site);
}

}  // namespace korvex
