// pixaroo_demo_site [port]: serves the demo gallery on 127.0.0.1 (port
// kDemoSitePort unless given; 0 picks a free one), prints its base address
// on one line once it listens, and stops cleanly on SIGINT or SIGTERM.
#include <pthread.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "demo/demo_site.h"

namespace {

bool ParsePort(const char* text, int& port) {
  const char* end = text + std::strlen(text);
  auto [last, error] = std::from_chars(text, end, port);
  return error == std::errc() && last == end && port >= 0 && port <= 65535;
}

}  // namespace

int main(int argc, char** argv) {
  int port = pixaroo::demo::kDemoSitePort;
  if (argc > 2 || (argc == 2 && !ParsePort(argv[1], port))) {
    std::fprintf(stderr, "usage: %s [port]\n", argv[0]);
    return 2;
  }
  // Block the stop signals before any thread starts, so that every serving
  // thread inherits the mask and only the wait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  auto site = pixaroo::demo::DemoSite::Start(port);
  if (!site) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("%s\n", site->BaseAddress().c_str());
  std::fflush(stdout);

  int signal = 0;
  while (sigwait(&stopSignals, &signal) != 0) {
  }
  site->Stop();
  return 0;
}
