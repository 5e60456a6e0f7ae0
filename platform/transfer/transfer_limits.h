// Limits and the cancel switch shared by every HTTP transfer of the process:
// the runtime's HTTP read and the WinINet-shaped layer both obey them.
//
// A transfer that hits a limit, or runs while the cancel switch is on, fails
// as a whole (no body, no response headers). The limits are process-wide
// values read at the start of each transfer; tests may shorten them. All
// functions are safe on any thread.
#pragma once

#include <cstddef>

#include "platform/transfer/limit_values.h"

namespace transfer {

// Room to take at once for a body whose response states `contentLength`
// bytes (negative: not stated): that length when it is within `maxBody`,
// nothing otherwise, so a server's claim never takes more than the cap.
std::size_t BodyBytesToReserve(long long contentLength, std::size_t maxBody);

// The limits in force for transfers starting now.
TransferLimits CurrentTransferLimits();
// Replaces the limits; ResetTransferLimits restores the constants. Tests
// only: defined in the test-only library platform_transfer_testing.
void SetTransferLimitsForTesting(const TransferLimits& limits);
void ResetTransferLimits();

// Makes running transfers fail within a fraction of a second and every later
// transfer fail at once, until ResetTransferCancel. The runtime turns it on
// when the window closes, before it joins the worker threads.
void CancelAllTransfers();
void ResetTransferCancel();
bool TransfersCancelled();

}  // namespace transfer
