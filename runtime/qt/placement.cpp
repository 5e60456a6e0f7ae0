#include "runtime/qt/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace korvex {

QPoint CentredWithin(QSize size, const QRect& over, const QRect& available) {
  QPoint at(over.left() + (over.width() - size.width()) / 2,
            over.top() + (over.height() - size.height()) / 2);
  if (available.isEmpty()) return at;
  at.setX(std::max(available.left(), std::min(at.x(), available.right() + 1 - size.width())));
  at.setY(std::max(available.top(), std::min(at.y(), available.bottom() + 1 - size.height())));
  return at;
}

void PlaceOver(QWidget* window, const QWidget* over) {
  if (window == nullptr || over == nullptr) return;
  const QScreen* screen = over->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  // Before it first shows, a window's frame is unknown: its size stands in.
  const QSize frame = window->frameGeometry().size().expandedTo(window->size());
  const QPoint frameAt = CentredWithin(frame, over->frameGeometry(), available);
  // move() places the frame's top-left for a top-level window.
  window->move(frameAt);
}

}  // namespace korvex
