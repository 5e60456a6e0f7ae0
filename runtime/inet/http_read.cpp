#include "runtime/inet/http_read.h"

#include "platform/transfer/same_site.h"
#include "platform/transfer/transfer.h"

namespace korvex {

base::Bytes HttpRead(const std::string& url) { return HttpRead(url, ReadKind::kPage, nullptr); }

base::Bytes HttpRead(const std::string& url, ReadKind kind, const TransferScope* scope) {
  transfer::TransferRequest request;
  request.cancel = scope != nullptr ? &scope->cancelled : nullptr;
  // A text ends at its first NUL byte.
  request.url = url.substr(0, url.find('\0'));
  request.redirects = transfer::RedirectPolicy::kSameSchemeOrToHttps;
  request.kind = kind == ReadKind::kPhoto ? transfer::BodyKind::kPhoto : transfer::BodyKind::kPage;
  transfer::TransferResult result = transfer::PerformTransfer(request);
  return result.ok ? std::move(result.body) : base::Bytes{};
}

bool SameSite(const std::string& url, const std::string& site) {
  return transfer::SameSite(url, site);
}

}  // namespace korvex
