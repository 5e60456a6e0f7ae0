// Where a window that belongs to the main window opens: centred on the main
// window, moved as little as needed to lie within the screen's available
// area (the screen less panels and docks). Pure; any thread.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace korvex {

// The top-left of a `size` window centred on `over`, kept within
// `available` (its top-left wins when the window is larger than the area).
QPoint CentredWithin(QSize size, const QRect& over, const QRect& available);

// Moves `window` (its frame, as far as known before it shows) to be centred
// on `over`'s frame within the available area of `over`'s screen. GUI
// thread only.
void PlaceOver(QWidget* window, const QWidget* over);

}  // namespace korvex
