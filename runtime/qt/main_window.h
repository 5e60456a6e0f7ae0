// MainWindow: the top-level widget of the program's window. Closing it asks
// the runtime first (the window's closing event). GUI thread only.
#pragma once

#include <QWidget>
#include <functional>

namespace korvex {

class MainWindow final : public QWidget {
 public:
  explicit MainWindow(std::function<void()> onClosing) : onClosing_(std::move(onClosing)) {}

  // Keeps `bar` along the bottom edge of the client area, full width, at its
  // own height, as a status bar sits whatever its stored place.
  void DockAtBottom(QWidget* bar);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::function<void()> onClosing_;
  bool closing_ = false;
  QWidget* bottomBar_ = nullptr;
};

}  // namespace korvex
