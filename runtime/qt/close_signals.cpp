#include "runtime/qt/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace korvex {
namespace {

static_assert(CloseSignals::kSignals[0] == SIGTERM && CloseSignals::kSignals[1] == SIGINT &&
              CloseSignals::kSignals[2] == SIGHUP);

// The write end of the active CloseSignals' pipe (-1: none).
std::atomic<int> g_writeEnd{-1};

extern "C" void OnCloseSignal(int) {
  const int saved = errno;
  const int fd = g_writeEnd.load();
  const char byte = 1;
  if (fd >= 0) static_cast<void>(::write(fd, &byte, 1));
  errno = saved;
}

}  // namespace

CloseSignals::CloseSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then signals end the process
  g_writeEnd.store(pipe_[1]);
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (const int signal : kSignals) {
    // A signal ignored from the start stays ignored: started under nohup,
    // or in the background by a shell, the program is meant to outlive the
    // terminal or its Ctrl+C.
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

CloseSignals::~CloseSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) {
    struct sigaction now {};
    // Only a handler of ours goes back to the default.
    if (::sigaction(signal, nullptr, &now) == 0 && now.sa_handler == OnCloseSignal) {
      ::sigaction(signal, &action, nullptr);
    }
  }
  g_writeEnd.store(-1);
  delete notifier_;
  for (const int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void CloseSignals::Read() {
  char bytes[16];
  bool any = false;
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) any = true;
  if (any && onSignal_) onSignal_();
}

}  // namespace korvex
