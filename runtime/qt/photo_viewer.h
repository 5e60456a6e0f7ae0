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
// title). Pictures are decoded and scaled by the project's own decoders on
// a pool thread, never on the window thread and never by Qt, to the size
// they are shown at in the screen's device pixels (sizes below are device
// pixels: the window's size times the device pixel ratio, fractional ratios
// too): fitted, the window's size (a smaller picture is decoded at its own
// size and enlarged as it is drawn); at 100 %, one picture pixel to one
// device pixel, the picture's own size up to kFullSizePixels, beyond that
// fitted into kScreensAtFullSize times the screen. A resize, a switch
// between the two or a move to a screen of another ratio decodes again;
// the last decode asked for is the one shown, and until it comes the
// picture before is drawn scaled to the new size. GUI thread only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/bytes.h"
#include "runtime/core/front.h"
#include "runtime/core/stored_picture.h"

namespace korvex {

class PhotoViewer final : public QWidget {
 public:
  // At 100 % a picture of at most this many pixels is decoded at its own
  // size: 16 megapixels take 64 MB at 4 bytes a pixel, half of what Qt
  // lets one image reader allocate, and cover any screen many times over.
  static constexpr qint64 kFullSizePixels = qint64{16} << 20;
  // A larger one is decoded to fit this many times the screen's size each
  // way: still more than the screen shows, so dragging finds detail,
  // without holding the whole picture (up to the decoders' 64 megapixels).
  static constexpr int kScreensAtFullSize = 2;

  explicit PhotoViewer(ViewerSource source);
  ~PhotoViewer() override;

  // The window the viewer opens centred on (within the screen's available
  // area); none: wherever the window system puts it.
  void SetAnchor(QWidget* anchor) { anchor_ = anchor; }

  // Shows `photo` (the index's photo at `position`) and brings the window up.
  void Open(std::shared_ptr<const StoredPicture> photo, int position);
  // Moves `step` photos through the index (nothing past either end).
  void Move(int step);

  // For tests: where the viewer stands and what it shows.
  int Position() const { return position_; }
  // As decoded for where it is shown; null while none.
  const QImage& Picture() const { return picture_; }
  // Where the picture is drawn, in the window's (logical) pixels, rounded
  // out (empty without one).
  QRect PictureRect() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Sink;
  // Makes `bytes` the photo shown and decodes it.
  void Show(std::shared_ptr<const StoredPicture> photo);
  // Decodes the photo shown, off the window thread, for where it is shown.
  void Decode();
  void Decoded(std::uint64_t decode, QImage image, QSize own);
  void ShowTitle();
  void SetActualSize(bool actual);
  // The size a picture of size `own` is drawn at now, in device pixels.
  QSize ShownSize(QSize own) const;
  // Where the picture is drawn, its top-left on a device pixel.
  QRectF PicturePlace() const;
  // The window's size in device pixels at the ratio last decoded for.
  QSize DeviceSize() const;

  ViewerSource source_;
  QWidget* anchor_ = nullptr;  // outlives the viewer
  std::shared_ptr<Sink> sink_;
  int position_ = -1;
  std::uint64_t generation_ = 0;  // the photo wanted last
  std::shared_ptr<const StoredPicture> photo_;  // the latest photo's bytes
  std::uint64_t photoSerial_ = 0;             // bumped with each photo
  std::uint64_t pictureSerial_ = 0;           // the photo picture_ is of
  std::uint64_t decode_ = 0;                  // the decode asked for last
  QSize decodedFor_;                          // the window size it was asked for
  qreal ratio_ = 1;                           // and the device pixel ratio
  QSize screens_;                             // kScreensAtFullSize screens
  QImage picture_;
  QSize own_;            // the picture's own size
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
  using PictureOf = std::function<std::shared_ptr<const StoredPicture>(std::uint32_t box)>;
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
