#include "demo/demo_site.h"

#include <httplib.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "demo/gallery.h"
#include "demo/photo_art.h"
#include "demo/photo_files.h"

namespace pixaroo::demo {

namespace {

constexpr const char* kHtmlType = "text/html; charset=gbk";
constexpr const char* kListPattern = R"(/nvshengzhenrenxiu/list_60_(\d{1,6})\.html)";
constexpr const char* kItemPattern = R"(/nvshengzhenrenxiu/(\d{1,6})\.html)";
constexpr const char* kPhotoPattern = R"(/uploads/allimg/\d{6}/[0-9-]+\.(jpg|png|gif|bmp|tif))";
constexpr const char* kScriptPattern = R"(/plus/view\.php)";
constexpr const char* kStatusPath = "/pa";
constexpr int kMaxPort = 65535;
// Connections idle longer than this are closed, which also bounds how long
// stopping waits for a client that keeps its connection open.
constexpr time_t kKeepAliveSeconds = 2;
constexpr std::size_t kKeepAliveRequests = 1000;
// Serving threads: each open connection holds one while it is kept alive,
// and a browser fetching ahead keeps a dozen or more open at once.
constexpr std::size_t kServingThreads = 64;
// The site takes no uploads; anything larger is refused unread.
constexpr std::size_t kMaxRequestBody = std::size_t{64} * 1024;
constexpr auto kStartPoll = std::chrono::milliseconds(1);
static_assert(DemoSiteOptions{}.itemsPerPage == kItemsPerPage);

int Number(const httplib::Request& req) {
  const std::string digits = req.matches[1].str();
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

void ServeHtml(httplib::Response& res, const std::string& body) {
  if (body.empty()) {
    res.status = 404;  // the error handler writes the page
    return;
  }
  res.set_content(body, kHtmlType);
}

const char* PhotoType(PhotoFormat format) {
  switch (format) {
    case PhotoFormat::kPng:
      return "image/png";
    case PhotoFormat::kGif:
      return "image/gif";
    case PhotoFormat::kBmp:
      return "image/bmp";
    case PhotoFormat::kTiff:
      return "image/tiff";
    case PhotoFormat::kJpeg:
      break;
  }
  return "image/jpeg";
}

std::string EncodePhoto(const Photo& photo) {
  const Raster raster = PaintPhoto(photo.width, photo.height, photo.number, photo.listPage);
  switch (photo.format) {
    case PhotoFormat::kPng:
      return EncodePng(raster);
    case PhotoFormat::kGif:
      return EncodeGif(raster);
    case PhotoFormat::kBmp:
      return EncodeBmp(raster);
    case PhotoFormat::kTiff:
      return EncodeTiff(raster);
    case PhotoFormat::kJpeg:
      break;
  }
  return EncodeJpeg(raster);
}

}  // namespace

struct DemoSite::Impl {
  Gallery gallery;
  httplib::Server server;
  std::thread thread;
  std::atomic<bool> listenEnded{false};
  int port = 0;
  std::mutex stopMutex;
  bool stopped = false;

  mutable std::mutex mutex;  // guards the members below
  std::map<std::string, std::size_t, std::less<>> requestCounts;
  std::vector<std::shared_ptr<const std::string>> photoFiles;
  std::shared_ptr<const std::string> badgeFile;

  RequestGate gate;
  std::chrono::milliseconds responseDelay{0};

  explicit Impl(const DemoSiteOptions& options)
      : gallery(options.itemsPerPage),
        photoFiles(gallery.photos().size()),
        responseDelay(options.responseDelay) {}

  void Count(const std::string& path) {
    std::lock_guard lock(mutex);
    auto it = requestCounts.find(path);
    if (it != requestCounts.end()) {
      ++it->second;
    } else if (requestCounts.size() < kMaxCountedPaths) {
      requestCounts.emplace(path, 1);
    }
  }

  // Encodes outside the lock; two first requests for one photo may both
  // encode it, and the first to finish is kept.
  std::shared_ptr<const std::string> PhotoFile(std::size_t index) {
    {
      std::lock_guard lock(mutex);
      if (photoFiles[index]) return photoFiles[index];
    }
    auto file = std::make_shared<const std::string>(EncodePhoto(gallery.photos()[index]));
    std::lock_guard lock(mutex);
    if (!photoFiles[index]) photoFiles[index] = std::move(file);
    return photoFiles[index];
  }

  std::shared_ptr<const std::string> BadgeFile() {
    std::lock_guard lock(mutex);
    if (!badgeFile) badgeFile = std::make_shared<const std::string>(EncodePng(PaintStatusBadge()));
    return badgeFile;
  }

  void ServeFile(httplib::Response& res, const std::shared_ptr<const std::string>& file,
                 const char* type) {
    if (file->empty()) {
      res.status = 500;
      return;
    }
    res.set_content(*file, type);
  }

  void Route();
  bool Listen(int requestedPort);
  void Stop();
};

void DemoSite::Impl::Route() {
  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    Count(req.path);
    gate.Pass(req.path);
    if (responseDelay.count() > 0) std::this_thread::sleep_for(responseDelay);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(Gallery::ListPagePath(1));
  });
  server.Get(kListPattern, [this](const httplib::Request& req, httplib::Response& res) {
    ServeHtml(res, gallery.ListPage(Number(req)));
  });
  server.Get(kItemPattern, [this](const httplib::Request& req, httplib::Response& res) {
    ServeHtml(res, gallery.ItemPage(Number(req)));
  });
  server.Get(kScriptPattern, [this](const httplib::Request&, httplib::Response& res) {
    ServeHtml(res, gallery.ScriptPage());
  });
  server.Get(kPhotoPattern, [this](const httplib::Request& req, httplib::Response& res) {
    const long index = gallery.FindPhoto(req.path);
    if (index < 0) {
      res.status = 404;
      return;
    }
    const Photo& photo = gallery.photos()[static_cast<std::size_t>(index)];
    ServeFile(res, PhotoFile(static_cast<std::size_t>(index)), PhotoType(photo.format));
  });
  server.Get(kStatusPath, [this](const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value("p") != "2:" + std::string(kSupportAccount) + ":41") {
      res.status = 404;
      return;
    }
    ServeFile(res, BadgeFile(), "image/png");
  });
  server.set_error_handler(
      httplib::Server::Handler([this](const httplib::Request&, httplib::Response& res) {
        if (res.status == 404) res.set_content(gallery.NotFoundPage(), kHtmlType);
      }));
}

bool DemoSite::Impl::Listen(int requestedPort) {
  if (requestedPort < 0 || requestedPort > kMaxPort) return false;
  server.new_task_queue = [] { return new httplib::ThreadPool(kServingThreads); };
  server.set_keep_alive_timeout(kKeepAliveSeconds);
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_payload_max_length(kMaxRequestBody);
  server.set_tcp_nodelay(true);
  // Address reuse lets a restarted site bind at once, but no port sharing:
  // a second site on a taken port must fail rather than split its requests.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  Route();
  if (requestedPort == 0) {
    port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) return false;
  } else {
    if (!server.bind_to_port("127.0.0.1", requestedPort)) return false;
    port = requestedPort;
  }
  thread = std::thread([this] {
    server.listen_after_bind();
    listenEnded = true;
  });
  // stop() only takes effect once the accept loop runs, which happens at
  // once after a successful bind; a loop that ends early ends the wait too.
  while (!server.is_running() && !listenEnded) std::this_thread::sleep_for(kStartPoll);
  if (!server.is_running()) {
    thread.join();
    return false;
  }
  return true;
}

void DemoSite::Impl::Stop() {
  std::lock_guard lock(stopMutex);
  if (stopped) return;
  stopped = true;
  gate.Close();  // a held answer would keep its serving thread from ending
  server.stop();
  if (thread.joinable()) thread.join();
}

DemoSite::DemoSite(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DemoSite::~DemoSite() { Stop(); }

std::unique_ptr<DemoSite> DemoSite::Start(int port, DemoSiteOptions options) {
  auto impl = std::make_unique<Impl>(options);
  if (!impl->Listen(port)) return nullptr;
  return std::unique_ptr<DemoSite>(new DemoSite(std::move(impl)));
}

int DemoSite::port() const { return impl_->port; }

std::string DemoSite::BaseAddress() const {
  return "http://127.0.0.1:" + std::to_string(impl_->port);
}

const Gallery& DemoSite::gallery() const { return impl_->gallery; }

std::size_t DemoSite::RequestCount(std::string_view path) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->requestCounts.find(path);
  return it == impl_->requestCounts.end() ? 0 : it->second;
}

RequestGate& DemoSite::Gate() { return impl_->gate; }

void DemoSite::Stop() { impl_->Stop(); }

}  // namespace pixaroo::demo
