// pixaroo_demo_site [--hostile MODE] [port]: serves the demo gallery on
// 127.0.0.1 (port kDemoSitePort unless given; 0 picks a free one), prints
// its base address on one line once it listens, and stops cleanly on SIGINT
// or SIGTERM. With --hostile it serves that hostile site instead
// (hostile_site.h) and, when it stops, prints on stderr how many requests
// the site and the elsewhere server beside it received.
#include <pthread.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "demo/demo_site.h"
#include "demo/hostile_site.h"

namespace {

bool ParsePort(const char* text, int& port) {
  const char* end = text + std::strlen(text);
  auto [last, error] = std::from_chars(text, end, port);
  return error == std::errc() && last == end && port >= 0 && port <= 65535;
}

int Usage(const char* self) {
  std::string modes;
  for (std::string_view m : pixaroo::demo::HostileModeNames()) modes += " " + std::string(m);
  std::fprintf(stderr, "usage: %s [--hostile MODE] [port]\n  MODE:%s\n", self, modes.c_str());
  return 2;
}

void Announce(const std::string& base) {
  std::printf("%s\n", base.c_str());
  std::fflush(stdout);
}

void WaitForStop(const sigset_t& stopSignals) {
  int signal = 0;
  while (sigwait(&stopSignals, &signal) != 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  int port = pixaroo::demo::kDemoSitePort;
  std::optional<pixaroo::demo::HostileMode> hostile;
  int arg = 1;
  if (arg < argc && std::strcmp(argv[arg], "--hostile") == 0) {
    if (arg + 1 >= argc || !(hostile = pixaroo::demo::HostileModeNamed(argv[arg + 1]))) {
      return Usage(argv[0]);
    }
    arg += 2;
  }
  if (argc - arg > 1 || (argc - arg == 1 && !ParsePort(argv[arg], port))) return Usage(argv[0]);
  // Block the stop signals before any thread starts, so that every serving
  // thread inherits the mask and only the wait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  if (hostile) {
    auto site = pixaroo::demo::HostileSite::Start(*hostile, port);
    if (!site) {
      std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
      return 1;
    }
    Announce(site->BaseAddress());
    WaitForStop(stopSignals);
    std::fprintf(stderr, "requests: site %zu, elsewhere %zu\n", site->Requests(),
                 site->RequestsElsewhere());
    return 0;
  }
  auto site = pixaroo::demo::DemoSite::Start(port);
  if (!site) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  Announce(site->BaseAddress());
  WaitForStop(stopSignals);
  site->Stop();
  return 0;
}
