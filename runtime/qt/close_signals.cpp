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

// The process's one signal pipe, made on first use and never closed: a
// handler still running on another thread while a CloseSignals goes writes
// into this pipe, never into a closed descriptor or one that was reused.
struct SignalPipe {
  int readEnd = -1;
  int writeEnd = -1;
};
const SignalPipe& ThePipe() {
  static const SignalPipe pipe = [] {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return SignalPipe{};
    return SignalPipe{fds[0], fds[1]};
  }();
  return pipe;
}

// The pipe's write end while a CloseSignals listens (-1: none).
std::atomic<int> g_writeEnd{-1};

// Reads what the pipe holds; true if it held anything.
bool Drain(int readEnd) {
  char bytes[16];
  bool any = false;
  while (::read(readEnd, bytes, sizeof bytes) > 0) any = true;
  return any;
}

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
  const SignalPipe& pipe = ThePipe();
  if (pipe.readEnd < 0) return;  // then signals end the process
  readEnd_ = pipe.readEnd;
  Drain(readEnd_);  // a late byte meant for a CloseSignals before this one
  g_writeEnd.store(pipe.writeEnd);
  notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
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
}

void CloseSignals::Read() {
  if (Drain(readEnd_) && onSignal_) onSignal_();
}

}  // namespace korvex
