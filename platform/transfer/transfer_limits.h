// Limits and the cancel switch shared by every HTTP transfer of the process:
// the runtime's HTTP read and the WinINet-shaped layer both obey them.
//
// A transfer that hits a limit, or runs while the cancel switch is on, fails
// as a whole (no body, no response headers). The limits are process-wide
// values read at the start of each transfer; tests may shorten them. All
// functions are safe on any thread.
#pragma once

#include <chrono>
#include <cstddef>

namespace transfer {

// Time allowed to open a TCP (and TLS) connection.
inline constexpr std::chrono::milliseconds kConnectTimeout{15'000};
// Time a transfer may go without sending or receiving a byte.
inline constexpr std::chrono::milliseconds kNoProgressTimeout{30'000};
// Time a whole transfer may take, redirects included, however steadily
// the bytes trickle in: generous enough for the largest body on a slow line.
inline constexpr std::chrono::milliseconds kTransferDeadline{300'000};
// Largest response body accepted, by kind (transfer.h's BodyKind); a longer
// one fails the transfer. Photos may be large; a page (a list or item page,
// the contact picture) never needs more than a few hundred KiB.
inline constexpr std::size_t kMaxBodyBytes = 64u << 20;
inline constexpr std::size_t kMaxPageBodyBytes = 4u << 20;
// Largest response header block accepted (all lines of one response).
inline constexpr std::size_t kMaxHeaderBlockBytes = 256u << 10;
// Longest address requested, after unsafe bytes are encoded (redirect
// targets too); a longer one fails the transfer unsent. Servers commonly
// refuse lines past 8 KiB.
inline constexpr std::size_t kMaxUrlBytes = 8u << 10;
// Redirects followed before the last redirect response is taken as final.
inline constexpr int kMaxRedirects = 10;

struct TransferLimits {
  std::chrono::milliseconds connectTimeout = kConnectTimeout;
  std::chrono::milliseconds noProgressTimeout = kNoProgressTimeout;
  std::size_t maxBodyBytes = kMaxBodyBytes;
  std::chrono::milliseconds deadline = kTransferDeadline;
  // A page's cap; the smaller of this and maxBodyBytes applies to pages.
  std::size_t maxPageBytes = kMaxPageBodyBytes;
};

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
