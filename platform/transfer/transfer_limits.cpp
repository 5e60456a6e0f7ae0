#include "platform/transfer/transfer_limits.h"

#include <atomic>
#include <mutex>

#include "platform/transfer/test_settings.h"

namespace transfer {
namespace {

std::atomic<bool> gCancelled{false};

}  // namespace

TransferLimits CurrentTransferLimits() {
  std::lock_guard lock(LimitsMutex());
  return Limits();
}

std::size_t BodyBytesToReserve(long long contentLength, std::size_t maxBody) {
  if (contentLength <= 0 || static_cast<unsigned long long>(contentLength) > maxBody) return 0;
  return static_cast<std::size_t>(contentLength);
}

void CancelAllTransfers() { gCancelled.store(true, std::memory_order_release); }
void ResetTransferCancel() { gCancelled.store(false, std::memory_order_release); }
bool TransfersCancelled() { return gCancelled.load(std::memory_order_acquire); }

}  // namespace transfer
