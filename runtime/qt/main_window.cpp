#include "runtime/qt/main_window.h"

#include <QCloseEvent>
#include <algorithm>

namespace korvex {

QSize ClientSizeOfFrame(int outerWidth, int outerHeight) {
  return QSize(std::max(0, outerWidth - 2 * kFrameBorder),
               std::max(0, outerHeight - kFrameCaption - 2 * kFrameBorder));
}

MainWindow::MainWindow(std::function<void()> onClosing) : onClosing_(std::move(onClosing)) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The closing routine runs once, even if the system asks twice.
  if (!closing_) {
    closing_ = true;
    onClosing_();
  }
  event->accept();
}

void MainWindow::DockAtBottom(QWidget* bar) {
  bottomBar_ = bar;
  bar->setGeometry(0, height() - bar->height(), width(), bar->height());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (bottomBar_ != nullptr) DockAtBottom(bottomBar_);
}

}  // namespace korvex
