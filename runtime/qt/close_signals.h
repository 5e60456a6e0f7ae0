// CloseSignals: the signals a desktop sends a program it wants ended
// (SIGTERM at logout or shutdown, SIGINT from a terminal, SIGHUP when the
// terminal goes) become a close request on the window thread, handled as a
// click on the window's close button would be.
//
// The handler only writes one byte to the process's signal pipe (made once,
// never closed); a socket notifier on the window thread reads it and runs
// `onSignal`. Each signal's handler is
// installed once per CloseSignals and resets itself when it fires, so a
// second signal of the same kind (a program that does not end) ends the
// process the default way. A signal the program was started with ignored
// (nohup, a shell's background job) is left ignored. Construct and
// destroy on the GUI thread; at
// most one CloseSignals per process at a time.
#pragma once

#include <QObject>
#include <array>
#include <functional>

class QSocketNotifier;

namespace korvex {

class CloseSignals final : public QObject {
 public:
  explicit CloseSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~CloseSignals() override;
  CloseSignals(const CloseSignals&) = delete;
  CloseSignals& operator=(const CloseSignals&) = delete;

  // The signals taken as a close request.
  static constexpr std::array<int, 3> kSignals = {15 /* SIGTERM */, 2 /* SIGINT */, 1 /* SIGHUP */};

 private:
  void Read();

  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
  int readEnd_ = -1;  // the process's signal pipe, which outlives this
};

}  // namespace korvex
