// The demo gallery website: serves the gallery's list pages, item pages and
// photos, and the support account's online badge, over HTTP on loopback, so
// that the program can update and browse with no internet. The program takes
// its default site address and status-image address from the constants here.
//
// Addresses served (GBK HTML, CR LF lines):
//   /nvshengzhenrenxiu/list_60_<1..7>.html  list pages
//   /nvshengzhenrenxiu/<id>.html             item pages (ids from kFirstItemId)
//   /uploads/allimg/<yymmdd>/<id>-<n>.<ext>  photos (JPEG; one each PNG, GIF, BMP, TIFF)
//   /plus/view.php?aid=<page>                a script page every list links once
//   /pa?p=2:<account>:41                     the online badge (PNG, 74 x 22)
//   /                                        redirects to list page 1
// Anything else answers 404 with a small GBK page.
//
// A DemoSite serves from its own threads from Start() until it is destroyed
// (or Stop() is called); its methods may be called from any thread. Photos
// are painted and encoded the first time they are asked for and kept for the
// life of the site (the catalogue is fixed, so the cache is bounded).
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "demo/request_gate.h"

namespace pixaroo::demo {

class Gallery;

// Where the demo gallery listens by default, and its base address (no
// trailing slash).
inline constexpr int kDemoSitePort = 8637;
inline constexpr std::string_view kDemoSiteBase = "http://127.0.0.1:8637";

// The support account whose online badge the site serves.
inline constexpr std::string_view kSupportAccount = "908741265";
// Path and query of the badge: "/pa?p=2:" + account + ":41".
inline constexpr std::string_view kStatusImagePath = "/pa?p=2:908741265:41";
inline constexpr std::string_view kStatusImageAddress = "http://127.0.0.1:8637/pa?p=2:908741265:41";

// How the site behaves: a slower site (each answer held back by
// `responseDelay`) or a larger gallery, for benchmarks. Tests that need an
// answer late hold it at the Gate() instead.
struct DemoSiteOptions {
  std::chrono::milliseconds responseDelay{0};
  int itemsPerPage = 6;  // kItemsPerPage (gallery.h)
};

class DemoSite {
 public:
  // Starts serving on 127.0.0.1:`port`, or on a free port when `port` is 0.
  // Null when the port cannot be bound (taken, or not a port number).
  static std::unique_ptr<DemoSite> Start(int port = 0, DemoSiteOptions options = {});

  ~DemoSite();
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  int port() const;
  // "http://127.0.0.1:<port>", no trailing slash.
  std::string BaseAddress() const;
  // What the site serves; lives as long as the site.
  const Gallery& gallery() const;

  // Requests received so far for `path` (without its query). Only the first
  // kMaxCountedPaths distinct paths are counted.
  std::size_t RequestCount(std::string_view path) const;

  // Holds chosen answers back until the caller lets them go (a request is
  // counted before it waits at the gate); stopping the site opens it.
  RequestGate& Gate();

  // Stops accepting and waits for the serving threads; idempotent.
  void Stop();

  struct Impl;

 private:
  explicit DemoSite(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

inline constexpr std::size_t kMaxCountedPaths = 4096;

}  // namespace pixaroo::demo
