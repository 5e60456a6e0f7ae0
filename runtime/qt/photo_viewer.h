// PhotoViewer: one photo of the program's index in a resizable window of its
// own, and the double-click on a picture box that opens it.
//
// The viewer shows the picture fitted to the window (aspect kept, centred)
// or at 100 % (a click, or the 1 key; 0 fits it again; at 100 % a picture
// larger than the window is dragged about). Page Down, → and ↓ move to the
// next photo of the index, Page Up, ← and ↑ to the one before, one photo at
// a time and never past either end; Escape closes the window. The photo it
// opens on is the box's own bytes; every other photo comes from the
// source's request, on a worker, and only the answer to the latest move is
// shown (until it comes, the photo before stays, with the new number in the
// title). Pictures are decoded on a pool thread, never on the window
// thread. GUI thread only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/bytes.h"
#include "runtime/core/front.h"

namespace korvex {

class PhotoViewer final : public QWidget {
 public:
  explicit PhotoViewer(ViewerSource source);
  ~PhotoViewer() override;

  // Shows `photo` (the index's photo at `position`) and brings the window up.
  void Open(std::shared_ptr<const base::Bytes> photo, int position);
  // Moves `step` photos through the index (nothing past either end).
  void Move(int step);

  // For tests: where the viewer stands and what it shows.
  int Position() const { return position_; }
  const QImage& Picture() const { return picture_; }  // full size; null while none
  bool ActualSize() const { return actualSize_; }
  QRect PictureRect() const;  // where the picture is drawn (empty without one)

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Sink;
  // Decodes `bytes` off the window thread and shows them if still wanted.
  void Decode(std::shared_ptr<const base::Bytes> bytes, std::uint64_t generation);
  void Decoded(std::uint64_t generation, QImage image);
  void ShowTitle();
  void SetActualSize(bool actual);

  ViewerSource source_;
  std::shared_ptr<Sink> sink_;
  int position_ = -1;
  std::uint64_t generation_ = 0;  // the photo wanted last
  QImage picture_;
  bool failed_ = false;  // the photo wanted last could not be shown
  bool actualSize_ = false;
  QPoint pan_;        // offset of the picture at 100 %
  QPoint pressedAt_;  // where the mouse went down
  QPoint panAtPress_;
  bool dragged_ = false;
};

// Watches the picture boxes of a window: a double-click on one that shows a
// picture whose position the source knows opens `viewer` on it. The
// double-click is then the viewer's; otherwise it goes on as before.
class ViewerOpener final : public QObject {
 public:
  // `pictureOf` gives a box's picture bytes (null when none).
  using PictureOf = std::function<std::shared_ptr<const base::Bytes>(std::uint32_t box)>;
  ViewerOpener(QObject* parent, PhotoViewer* viewer, ViewerSource source, PictureOf pictureOf);

  // Starts watching `box` (a widget for the unit `unit`).
  void Watch(QWidget* box, std::uint32_t unit);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  PhotoViewer* viewer_;
  ViewerSource source_;
  PictureOf pictureOf_;
};

}  // namespace korvex
