#include "runtime/qt/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QThreadPool>
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
  const std::uint64_t generation = ++generation_;
  if (picture == nullptr || picture->size() == 0) {
    Decoded(generation, QImage());
    return;
  }
  QThreadPool::globalInstance()->start(
      [sink = sink_, decode = decode_, picture = std::move(picture), box = size(), generation] {
        QImage image = decode(picture->Map().bytes(), box);
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

QRect PictureBox::ImageRect() const {
  if (scaled_.isNull()) return {};
  const QSize s = scaled_.size();
  return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (scaled_.isNull()) {
    // An empty box shows where its photo will go.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  painter.drawImage(ImageRect().topLeft(), scaled_);
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
