// MainWindow: the top-level widget of the program's window. Closing it asks
// the runtime first (the window's closing event). GUI thread only.
#pragma once

#include <QWidget>
#include <functional>

namespace korvex {

// A window's stored size is its outer size on the system's classic frame:
// a border of kFrameBorder pixels on every side and a caption of
// kFrameCaption pixels above the client area.
inline constexpr int kFrameBorder = 4;
inline constexpr int kFrameCaption = 25;

// The client area inside a frame of the stored outer size (never negative).
QSize ClientSizeOfFrame(int outerWidth, int outerHeight);

class MainWindow final : public QWidget {
 public:
  // A fixed-size window with a caption, a close and a minimise button and
  // no maximise button.
  explicit MainWindow(std::function<void()> onClosing);

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
