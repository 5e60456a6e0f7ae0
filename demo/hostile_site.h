// Hostile gallery sites on loopback, each serving one way a stranger's site
// can try to make the program fetch off the site, hold too much memory or
// write a huge index file; for the memory benchmarks and anyone checking
// the program's bounds by hand (pixaroo_demo_site --hostile MODE).
//
// Every mode serves list pages 1 to 7 at the gallery's addresses, with the
// list-area and picture-area markers the program reads. Beside the site, on
// another port of the same address, listens "elsewhere": a copy of the
// normal demo gallery that counts every request it gets, so that a fetch
// off the site shows (and, in the redirect mode, would succeed).
//
// A HostileSite serves from its own threads from Start() until it is
// destroyed; its methods may be called from any thread. Every answer is
// built before the site listens (the big photos take a few seconds) and
// kept.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pixaroo::demo {

enum class HostileMode {
  // Every address (list and item pages, photos, the badge) answers 302 to
  // the same address on the elsewhere server's port.
  kRedirectOffSite,
  // List page 1 holds 60 MiB of item links.
  kHugeListPage,
  // Eight item pages, each 60 MiB of picture sources.
  kHugeItemPages,
  // Forty item pages, each one photo source of 8 MiB.
  kLongItems,
  // Seventy item pages of 900 picture sources of 4,000 bytes each: an index
  // of 250 MB unless it is bounded.
  kIndexFlood,
  // The first page's six photos are 8192 x 8192 PNGs (one colour each,
  // about 200 KB).
  kBigPhotos,
};

// The modes by their command-line names ("redirect-off-site", ...).
std::optional<HostileMode> HostileModeNamed(std::string_view name);
std::vector<std::string_view> HostileModeNames();

class HostileSite {
 public:
  // Serves `mode` on 127.0.0.1:`port` (0: a free port) and "elsewhere" on a
  // free port. Null when either cannot listen.
  static std::unique_ptr<HostileSite> Start(HostileMode mode, int port = 0);
  ~HostileSite();
  HostileSite(const HostileSite&) = delete;
  HostileSite& operator=(const HostileSite&) = delete;

  // "http://127.0.0.1:<port>".
  std::string BaseAddress() const;
  std::string ElsewhereAddress() const;
  // Requests the site and the elsewhere server have answered so far.
  std::size_t Requests() const;
  std::size_t RequestsElsewhere() const;

  struct Impl;

 private:
  explicit HostileSite(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace pixaroo::demo
