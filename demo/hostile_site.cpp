#include "demo/hostile_site.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "demo/hostile_pages.h"
#include "demo/photo_art.h"
#include "demo/photo_files.h"

namespace pixaroo::demo {
namespace {

constexpr const char* kHtmlType = "text/html; charset=gbk";
constexpr const char* kListPattern = R"(/nvshengzhenrenxiu/list_60_(\d{1,6})\.html)";
constexpr const char* kItemPattern = R"(/nvshengzhenrenxiu/(\d{1,6})\.html)";
constexpr std::size_t kHugePage = std::size_t{60} << 20;
constexpr std::size_t kLongItem = std::size_t{8} << 20;
constexpr int kHugeItemPages = 8;
constexpr int kLongItemPages = 40;
constexpr int kFloodItemsPerList = 10;
constexpr int kFloodSourcesPerItem = 900;
constexpr std::size_t kFloodSourceBytes = 4000;
constexpr int kBigPhotos = 6;
constexpr std::uint32_t kBigSide = 8192;
constexpr int kListPages = 7;
constexpr std::size_t kServingThreads = 16;

using Body = std::shared_ptr<const std::string>;

struct NamedMode {
  std::string_view name;
  HostileMode mode;
};
constexpr NamedMode kModes[] = {
    {"redirect-off-site", HostileMode::kRedirectOffSite},
    {"huge-list-page", HostileMode::kHugeListPage},
    {"huge-item-pages", HostileMode::kHugeItemPages},
    {"long-items", HostileMode::kLongItems},
    {"index-flood", HostileMode::kIndexFlood},
    {"big-photos", HostileMode::kBigPhotos},
};

int Number(const httplib::Request& req) {
  try {
    return std::stoi(req.matches[1].str());
  } catch (...) {
    return 0;
  }
}

std::string ItemPath(int id) { return "/nvshengzhenrenxiu/" + std::to_string(id) + ".html"; }

std::vector<std::string> ItemPaths(int first, int last) {
  std::vector<std::string> paths;
  for (int id = first; id <= last; ++id) paths.push_back(ItemPath(id));
  return paths;
}

// Serves `body` without copying it into the response.
void Serve(httplib::Response& res, const Body& body, const char* type) {
  res.set_content_provider(body->size(), type,
                           [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             const std::size_t n = std::min(length, body->size() - offset);
                             return sink.write(body->data() + offset, n);
                           });
}

// One listening server on its own thread.
struct Listener {
  httplib::Server server;
  std::thread thread;
  std::atomic<std::size_t> requests{0};
  std::atomic<bool> ended{false};
  int port = 0;

  bool Listen(int requested) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kServingThreads); };
    server.set_keep_alive_timeout(2);
    port = requested == 0 ? server.bind_to_any_port("127.0.0.1")
                          : (server.bind_to_port("127.0.0.1", requested) ? requested : -1);
    if (port <= 0) return false;
    thread = std::thread([this] {
      server.listen_after_bind();
      ended = true;
    });
    // stop() takes effect only once the accept loop runs.
    while (!server.is_running() && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return server.is_running();
  }
  void Stop() {
    server.stop();
    if (thread.joinable()) thread.join();
  }
};

}  // namespace

struct HostileSite::Impl {
  HostileMode mode;
  Listener site;
  Listener elsewhere;
  std::mutex mutex;
  std::map<std::string, Body> bodies;  // built once, on first request

  explicit Impl(HostileMode m) : mode(m) {}

  Body Cached(const std::string& key, const std::function<std::string()>& make) {
    {
      std::lock_guard lock(mutex);
      if (auto it = bodies.find(key); it != bodies.end()) return it->second;
    }
    auto body = std::make_shared<const std::string>(make());
    std::lock_guard lock(mutex);
    return bodies.emplace(key, std::move(body)).first->second;
  }

  std::string ListPage(int page) const {
    switch (mode) {
      case HostileMode::kHugeListPage:
        return HostileListPage({ItemPath(page)}, page == 1 ? kHugePage : 0);
      case HostileMode::kHugeItemPages:
        return HostileListPage(page == 1 ? ItemPaths(1, kHugeItemPages) : ItemPaths(1, 0));
      case HostileMode::kLongItems:
        return HostileListPage(page == 1 ? ItemPaths(1, kLongItemPages) : ItemPaths(1, 0));
      case HostileMode::kIndexFlood:
        return HostileListPage(
            ItemPaths((page - 1) * kFloodItemsPerList + 1, page * kFloodItemsPerList));
      case HostileMode::kBigPhotos:
      case HostileMode::kRedirectOffSite:
        break;
    }
    return HostileListPage(page == 1 ? ItemPaths(1, 1) : ItemPaths(1, 0));
  }

  std::string ItemPage(int id) const {
    const std::string tag = std::to_string(id);
    switch (mode) {
      case HostileMode::kHugeItemPages:
        return HostileItemPage({}, kHugePage);
      case HostileMode::kLongItems:
        return HostileItemPage({"/p/" + tag + "-" + std::string(kLongItem, 'x') + ".png"});
      case HostileMode::kIndexFlood: {
        std::vector<std::string> sources;
        for (int k = 0; k < kFloodSourcesPerItem; ++k) {
          std::string s = "/p/" + tag + "-" + std::to_string(k) + "-";
          s.resize(kFloodSourceBytes - 4, 'y');
          sources.push_back(s + ".png");
        }
        return HostileItemPage(sources);
      }
      case HostileMode::kBigPhotos: {
        std::vector<std::string> sources;
        for (int k = 1; k <= kBigPhotos; ++k) sources.push_back("/p/big" + std::to_string(k) + ".png");
        sources.push_back("/p/small.png");
        return HostileItemPage(sources);
      }
      case HostileMode::kHugeListPage:
      case HostileMode::kRedirectOffSite:
        break;
    }
    return HostileItemPage({"/p/" + tag + ".png"});
  }

  std::string Photo(const std::string& path) const {
    if (mode == HostileMode::kBigPhotos && path.starts_with("/p/big")) {
      const int k = path[6] - '0';
      return OneColourPng(kBigSide, kBigSide, static_cast<std::uint8_t>(0x20 * k), 0x90, 0xE0);
    }
    return EncodePng(PaintPhoto(300, 400, 1, 1));
  }

  // Builds every body the mode serves before the site listens, so that a
  // client never waits on the site (and a benchmark sees the program's own
  // work only).
  void Prebuild() {
    for (int page = 1; page <= kListPages; ++page) {
      const std::string path = "/nvshengzhenrenxiu/list_60_" + std::to_string(page) + ".html";
      Cached(path, [&] { return ListPage(page); });
    }
    int items = 1;
    if (mode == HostileMode::kHugeItemPages) {
      Cached("item", [&] { return ItemPage(1); });
      items = 0;
    } else if (mode == HostileMode::kLongItems) {
      items = kLongItemPages;
    } else if (mode == HostileMode::kIndexFlood) {
      items = kListPages * kFloodItemsPerList;
    }
    for (int id = 1; id <= items; ++id) Cached(ItemPath(id), [&] { return ItemPage(id); });
    if (mode == HostileMode::kBigPhotos) {
      for (int k = 1; k <= kBigPhotos; ++k) {
        const std::string path = "/p/big" + std::to_string(k) + ".png";
        Cached(path.substr(0, 7), [&] { return Photo(path); });
      }
    }
    Cached("small", [&] { return Photo("/p/small.png"); });
  }

  void Route() {
    site.server.set_pre_routing_handler([this](const httplib::Request& req,
                                               httplib::Response& res) {
      ++site.requests;
      if (mode != HostileMode::kRedirectOffSite) return httplib::Server::HandlerResponse::Unhandled;
      res.set_redirect("http://127.0.0.1:" + std::to_string(elsewhere.port) + req.target);
      return httplib::Server::HandlerResponse::Handled;
    });
    site.server.Get(kListPattern, [this](const httplib::Request& req, httplib::Response& res) {
      const int page = Number(req);
      if (page < 1 || page > kListPages) {
        res.status = 404;
        return;
      }
      Serve(res, Cached(req.path, [&] { return ListPage(page); }), kHtmlType);
    });
    site.server.Get(kItemPattern, [this](const httplib::Request& req, httplib::Response& res) {
      const int id = Number(req);
      Serve(res, Cached(mode == HostileMode::kHugeItemPages ? "item" : req.path,
                        [&] { return ItemPage(id); }),
            kHtmlType);
    });
    site.server.Get(R"(/p/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      const std::string key = req.path.starts_with("/p/big") ? req.path.substr(0, 7) : "small";
      Serve(res, Cached(key, [&] { return Photo(req.path); }), "image/png");
    });
    site.server.Get("/pa", [this](const httplib::Request&, httplib::Response& res) {
      Serve(res, Cached("badge", [] { return EncodePng(PaintStatusBadge()); }), "image/png");
    });
    // Whatever reaches elsewhere is counted and answered as a page that
    // would add its own items to the index.
    elsewhere.server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response& res) {
      ++elsewhere.requests;
      res.set_content(HostileListPage({"/off-site/1.html"}) +
                          HostileItemPage({"/off-site/photo.png"}),
                      kHtmlType);
      return httplib::Server::HandlerResponse::Handled;
    });
  }
};

std::optional<HostileMode> HostileModeNamed(std::string_view name) {
  for (const NamedMode& m : kModes) {
    if (m.name == name) return m.mode;
  }
  return std::nullopt;
}

std::vector<std::string_view> HostileModeNames() {
  std::vector<std::string_view> names;
  for (const NamedMode& m : kModes) names.push_back(m.name);
  return names;
}

std::unique_ptr<HostileSite> HostileSite::Start(HostileMode mode, int port) {
  auto impl = std::make_unique<Impl>(mode);
  impl->Prebuild();
  impl->Route();
  if (!impl->elsewhere.Listen(0)) return nullptr;
  if (!impl->site.Listen(port)) {
    impl->elsewhere.Stop();
    return nullptr;
  }
  return std::unique_ptr<HostileSite>(new HostileSite(std::move(impl)));
}

HostileSite::HostileSite(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostileSite::~HostileSite() {
  impl_->site.Stop();
  impl_->elsewhere.Stop();
}

std::string HostileSite::BaseAddress() const {
  return "http://127.0.0.1:" + std::to_string(impl_->site.port);
}

std::string HostileSite::ElsewhereAddress() const {
  return "http://127.0.0.1:" + std::to_string(impl_->elsewhere.port);
}

std::size_t HostileSite::Requests() const { return impl_->site.requests; }
std::size_t HostileSite::RequestsElsewhere() const { return impl_->elsewhere.requests; }

}  // namespace pixaroo::demo
