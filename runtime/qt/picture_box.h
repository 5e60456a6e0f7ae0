// PictureBox: shows one picture unit's image, scaled to fit the box with its
// aspect ratio kept, centred; reports mouse presses.
//
// A picture is decoded and scaled for the box once, on a pool thread, at the
// screen's device pixels (the box's size times the device pixel ratio,
// fractional ratios too); the window thread only swaps the finished image in
// and draws it as it is, one image pixel to one device pixel, so no photo,
// however large, holds the window thread up and none is enlarged on the way
// to the screen. The box keeps the picture (shared with the model, never
// copied; a large one mapped from its file only while it is scaled) and the one scaled image; when the box is drawn at another
// ratio (its window moved to another screen) it scales again for that one.
// Until the new image is ready the box keeps showing the one before. GUI
// thread only.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/bytes.h"
#include "platform/gdiplus/pixels.h"
#include "runtime/core/stored_picture.h"

namespace korvex {

class PictureBox final : public QWidget {
 public:
  // button: -1 left, -4 right (the description's event numbers).
  using PressHandler = std::function<void(int event, int x, int y)>;
  // Decodes and scales a picture to fit `box` device pixels; called on a
  // pool thread.
  using Decoder = std::function<QImage(gdiplus::ByteSpan bytes, QSize box)>;

  PictureBox(QWidget* parent, PressHandler onPress, Decoder decode = &DecodeToFit);
  ~PictureBox() override;

  // Shows `picture` once decoded; bytes that are not an image show nothing.
  // The bytes are shared, never copied, and must not change; a picture kept
  // in a file is mapped only while it is decoded.
  void SetPicture(std::shared_ptr<const StoredPicture> picture);
  void SetPicture(std::shared_ptr<const base::Bytes> bytes) {
    SetPicture(StoredPicture::Share(std::move(bytes)));
  }
  void SetPicture(std::nullptr_t) { SetPicture(std::shared_ptr<const StoredPicture>()); }
  bool HasImage() const { return !scaled_.isNull(); }
  // Where the image is drawn inside the box, in the box's (logical) pixels,
  // rounded out (empty without an image).
  QRect ImageRect() const;
  // The image as scaled for the screen, its device pixel ratio set.
  const QImage& Image() const { return scaled_; }

  // Runs when the box has the focus and the Menu key or Shift+F10 is
  // pressed: the keyboard's way to the box's right-click menu.
  void SetMenuKeyHandler(std::function<void()> onMenuKey) { onMenuKey_ = std::move(onMenuKey); }

  // The image decoded and scaled to fit `box` by the project's own decoders
  // (null when `bytes` is no image or one beyond their limits); Qt never
  // decodes the picture. Any thread.
  static QImage DecodeToFit(gdiplus::ByteSpan bytes, QSize box);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Sink;
  // Scales the picture for the box at `ratio` device pixels per pixel.
  void Scale(qreal ratio);
  void Decoded(std::uint64_t generation, QImage image);
  // The image's place in the box, its top-left on a device pixel.
  QRectF ImagePlace() const;
  void DrawFocus(QPainter& painter) const;

  std::shared_ptr<const StoredPicture> picture_;  // the picture shown (null: none)
  QImage scaled_;        // already the size it is drawn at, in device pixels
  qreal scaledFor_ = 0;  // the ratio of the scale asked for last
  std::uint64_t generation_ = 0;
  std::shared_ptr<Sink> sink_;
  PressHandler onPress_;
  std::function<void()> onMenuKey_;
  Decoder decode_;
};

}  // namespace korvex
