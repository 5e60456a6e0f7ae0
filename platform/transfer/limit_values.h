// The values that bound every HTTP transfer (transfer_limits.h): the
// constants, and the set of them in force, which tests may shorten.
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

}  // namespace transfer
