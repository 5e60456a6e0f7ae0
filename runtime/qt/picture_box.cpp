#include "runtime/qt/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "runtime/form/unit_types.h"

namespace korvex {

PictureBox::PictureBox(QWidget* parent, PressHandler onPress)
    : QWidget(parent), onPress_(std::move(onPress)) {}

void PictureBox::SetPicture(const base::Bytes& bytes) {
  image_ =
      bytes.empty() ? QImage() : QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
  update();
}

QRect PictureBox::ImageRect() const {
  if (image_.isNull() || width() <= 0 || height() <= 0) return {};
  const QSize scaled = image_.size().scaled(size(), Qt::KeepAspectRatio);
  return QRect(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    // An empty box shows where its photo will go.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(ImageRect(), image_);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    onPress_(form::kEventLeftButtonDown, p.x(), p.y());
  } else if (event->button() == Qt::RightButton) {
    onPress_(form::kEventRightButtonDown, p.x(), p.y());
  }
}

}  // namespace korvex
