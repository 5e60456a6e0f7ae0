// PictureBox: shows one picture unit's image, scaled to fit the box with its
// aspect ratio kept, centred; reports mouse presses.
//
// A picture is decoded and scaled for the box once, on a pool thread; the
// window thread only swaps the finished image in and draws it as it is, so
// no photo, however large, holds the window thread up. Until the new
// picture is ready the box keeps showing the one before. GUI thread only.
#pragma once

#include <QImage>
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
  // Decodes and scales a picture for the box; called on a pool thread.
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
  // Where the image is drawn inside the box (empty without an image).
  QRect ImageRect() const;

  // The image decoded and scaled to fit `box` by the project's own decoders
  // (null when `bytes` is no image or one beyond their limits); Qt never
  // decodes the picture. Any thread.
  static QImage DecodeToFit(gdiplus::ByteSpan bytes, QSize box);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Sink;
  void Decoded(std::uint64_t generation, QImage image);

  QImage scaled_;  // already the size it is drawn at
  std::uint64_t generation_ = 0;
  std::shared_ptr<Sink> sink_;
  PressHandler onPress_;
  Decoder decode_;
};

}  // namespace korvex
