// Several clients asking for the same photos at once all get the same,
// whole files: first requests race to paint and cache each photo.
#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>
#include <vector>

#include "demo/demo_site.h"
#include "demo/gallery.h"

namespace pixaroo::demo {
namespace {

constexpr int kClients = 4;
constexpr std::size_t kPhotos = 6;

TEST(DemoSiteThreads, ConcurrentFirstRequestsGetIdenticalPhotos) {
  auto site = DemoSite::Start();
  ASSERT_NE(site, nullptr);
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < kPhotos; ++i) paths.push_back(site->gallery().photos()[i].path);
  paths.emplace_back(kStatusImagePath);

  std::vector<std::vector<std::string>> bodies(kClients);
  std::vector<std::thread> clients;
  clients.reserve(kClients);
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client(site->BaseAddress());
      for (const std::string& path : paths) {
        auto res = client.Get(path.c_str());
        bodies[static_cast<std::size_t>(c)].push_back(res && res->status == 200 ? res->body : "");
      }
    });
  }
  for (auto& t : clients) t.join();

  for (std::size_t i = 0; i < paths.size(); ++i) {
    EXPECT_FALSE(bodies[0][i].empty()) << paths[i];
    for (int c = 1; c < kClients; ++c)
      EXPECT_EQ(bodies[static_cast<std::size_t>(c)][i], bodies[0][i]) << paths[i];
  }
  EXPECT_EQ(site->RequestCount(paths[0]), static_cast<std::size_t>(kClients));
}

}  // namespace
}  // namespace pixaroo::demo
