// The tests' setters of the transfers' settings (test_settings.h), built
// only into platform_transfer_testing.
#include <utility>

#include "platform/transfer/test_settings.h"
#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"

namespace transfer {

void SetTransferLimitsForTesting(const TransferLimits& limits) {
  std::lock_guard lock(LimitsMutex());
  Limits() = limits;
}

void ResetTransferLimits() { SetTransferLimitsForTesting(TransferLimits{}); }

void TrustCertificatesForTesting(std::string pem) {
  std::lock_guard lock(TrustMutex());
  TrustedPemLocked() = std::move(pem);
}

void RouteHostsForTesting(std::vector<std::string> routes) {
  std::lock_guard lock(RouteMutex());
  RoutesLocked() = std::move(routes);
}

}  // namespace transfer
