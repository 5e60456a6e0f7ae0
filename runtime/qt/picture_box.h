// PictureBox: shows one picture unit's image, scaled to fit the box with its
// aspect ratio kept, centred; reports mouse presses. GUI thread only.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "base/bytes.h"

namespace korvex {

class PictureBox final : public QWidget {
 public:
  // button: -1 left, -4 right (the description's event numbers).
  using PressHandler = std::function<void(int event, int x, int y)>;

  PictureBox(QWidget* parent, PressHandler onPress);

  // Decodes and shows `bytes`; bytes that are not an image show nothing.
  void SetPicture(const base::Bytes& bytes);
  bool HasImage() const { return !image_.isNull(); }
  // Where the image is drawn inside the box (empty without an image).
  QRect ImageRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  PressHandler onPress_;
};

}  // namespace korvex
