#include "runtime/qt/picture_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThreadPool>
#include <cmath>
#include <mutex>

#include "platform/gdiplus/fit_scaler.h"
#include "runtime/form/unit_types.h"
#include "runtime/qt/scaled_picture.h"

namespace korvex {

// Where a pool thread hands a finished image back; emptied when the box
// goes, so a late decode finds no box rather than a dead one.
struct PictureBox::Sink {
  std::mutex mutex;
  PictureBox* box = nullptr;  // guarded by mutex
};

PictureBox::PictureBox(QWidget* parent, PressHandler onPress, Decoder decode)
    : QWidget(parent),
      sink_(std::make_shared<Sink>()),
      onPress_(std::move(onPress)),
      decode_(std::move(decode)) {
  sink_->box = this;
}

PictureBox::~PictureBox() {
  std::lock_guard lock(sink_->mutex);
  sink_->box = nullptr;
}

QImage PictureBox::DecodeToFit(gdiplus::ByteSpan bytes, QSize box) {
  if (bytes.empty() || box.isEmpty()) return {};
  // Our own decoders and scaler: a converted photo is scaled straight from
  // its BMP rows, and nothing is decoded beyond the decoders' limits.
  return DecodeScaled(bytes, [box](std::uint32_t width, std::uint32_t height) {
    gdiplus::ScaledSize fit;
    gdiplus::FitSize(width, height, static_cast<std::uint32_t>(box.width()),
                     static_cast<std::uint32_t>(box.height()), &fit.width, &fit.height);
    return fit;
  });
}

void PictureBox::SetPicture(std::shared_ptr<const StoredPicture> picture) {
  picture_ = (picture == nullptr || picture->size() == 0) ? nullptr : std::move(picture);
  Scale(devicePixelRatioF());
}

void PictureBox::Scale(qreal ratio) {
  const std::uint64_t generation = ++generation_;
  scaledFor_ = ratio;
  if (picture_ == nullptr) {
    Decoded(generation, QImage());
    return;
  }
  // The box in device pixels: a fractional ratio gives a part pixel, which
  // the screen does not have.
  const QSize device(static_cast<int>(std::floor(width() * ratio)),
                     static_cast<int>(std::floor(height() * ratio)));
  QThreadPool::globalInstance()->start(
      [sink = sink_, decode = decode_, picture = picture_, device, ratio, generation] {
        QImage image = decode(picture->Map().bytes(), device);
        image.setDevicePixelRatio(ratio);
        std::lock_guard lock(sink->mutex);
        if (sink->box == nullptr) return;
        // Queued to the box: dropped with it if it goes before it runs.
        PictureBox* target = sink->box;
        QMetaObject::invokeMethod(
            target,
            [target, generation, image = std::move(image)]() mutable {
              target->Decoded(generation, std::move(image));
            },
            Qt::QueuedConnection);
      });
}

void PictureBox::Decoded(std::uint64_t generation, QImage image) {
  if (generation != generation_) return;  // a newer picture is on its way
  scaled_ = std::move(image);
  update();
}

QRectF PictureBox::ImagePlace() const {
  if (scaled_.isNull()) return {};
  const qreal ratio = scaled_.devicePixelRatio();
  // Centred in whole device pixels, so that each image pixel covers one.
  const qreal left = std::floor((std::floor(width() * ratio) - scaled_.width()) / 2);
  const qreal top = std::floor((std::floor(height() * ratio) - scaled_.height()) / 2);
  return QRectF(left / ratio, top / ratio, scaled_.width() / ratio, scaled_.height() / ratio);
}

QRect PictureBox::ImageRect() const { return ImagePlace().toAlignedRect(); }

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Drawn at another ratio than it was scaled for (the window moved to
  // another screen): scale again; until then the image before is drawn.
  const qreal ratio = devicePixelRatioF();
  if (picture_ != nullptr && ratio != scaledFor_) Scale(ratio);
  if (scaled_.isNull()) {
    // An empty box shows where its photo will go.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) DrawFocus(painter);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(ImagePlace(), scaled_);
  if (hasFocus()) DrawFocus(painter);
}

void PictureBox::DrawFocus(QPainter& painter) const {
  QPen pen(palette().color(QPalette::Highlight));
  pen.setStyle(Qt::DotLine);
  painter.setPen(pen);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
  const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
  const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
  if ((menuKey || shiftF10) && onMenuKey_) {
    onMenuKey_();
    return;
  }
  QWidget::keyPressEvent(event);
}

void PictureBox::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void PictureBox::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
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
