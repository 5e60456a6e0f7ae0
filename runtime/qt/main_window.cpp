#include "runtime/qt/main_window.h"

#include <QCloseEvent>

namespace korvex {

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
