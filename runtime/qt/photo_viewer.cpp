#include "runtime/qt/photo_viewer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "platform/gdiplus/fit_scaler.h"
#include "runtime/qt/placement.h"
#include "runtime/qt/scaled_picture.h"

namespace korvex {
namespace {

// The window's first size, at most this share of the screen.
constexpr double kScreenShare = 0.8;
constexpr QSize kFirstSize(800, 600);
// How far the mouse may move between press and release for a click.
constexpr int kClickSlack = 4;

}  // namespace

// Where a pool thread hands a decoded picture back; emptied when the viewer
// goes, so a late decode finds no viewer rather than a dead one.
struct PhotoViewer::Sink {
  std::mutex mutex;
  PhotoViewer* viewer = nullptr;  // guarded by mutex
  // The decode asked for last: one still queued behind it is not started.
  std::atomic<std::uint64_t> latest{0};
};

namespace {

// `own` fitted into `box` by the scaler's own rule; empty for an empty box.
QSize Fitted(QSize own, QSize box) {
  if (own.isEmpty() || box.isEmpty()) return {};
  std::uint32_t width = 0, height = 0;
  gdiplus::FitSize(static_cast<std::uint32_t>(own.width()),
                   static_cast<std::uint32_t>(own.height()),
                   static_cast<std::uint32_t>(box.width()),
                   static_cast<std::uint32_t>(box.height()), &width, &height);
  return QSize(static_cast<int>(width), static_cast<int>(height));
}

// The size a picture of size `own` is drawn at: fitted, as large as fits
// `window`; at 100 %, its own size, or fitted into `screens` when it has
// more than kFullSizePixels.
QSize DrawnSize(QSize own, bool actual, QSize window, QSize screens) {
  if (!actual) return Fitted(own, window);
  if (qint64{own.width()} * own.height() <= PhotoViewer::kFullSizePixels) return own;
  return Fitted(own, screens);
}

}  // namespace

PhotoViewer::PhotoViewer(ViewerSource source)
    : QWidget(nullptr, Qt::Window), source_(std::move(source)), sink_(std::make_shared<Sink>()) {
  sink_->viewer = this;
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFocusPolicy(Qt::StrongFocus);
  QSize size = kFirstSize;
  screens_ = size * kScreensAtFullSize;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    size = size.boundedTo(screen->availableSize() * kScreenShare);
    screens_ = screen->size() * kScreensAtFullSize;
  }
  resize(size);
}

PhotoViewer::~PhotoViewer() {
  std::lock_guard lock(sink_->mutex);
  sink_->viewer = nullptr;
}

void PhotoViewer::Open(std::shared_ptr<const StoredPicture> photo, int position) {
  position_ = position;
  ++generation_;
  actualSize_ = false;
  pan_ = {};
  Show(std::move(photo));
  ShowTitle();
  if (!isVisible()) PlaceOver(this, anchor_);
  show();
  raise();
  activateWindow();
}

void PhotoViewer::Move(int step) {
  const int target = position_ + step;
  const int count = source_.count ? source_.count() : 0;
  if (step == 0 || target < 0 || target >= count || !source_.request) return;
  position_ = target;
  const std::uint64_t generation = ++generation_;
  ShowTitle();
  source_.request(target, [viewer = QPointer<PhotoViewer>(this), generation](base::Bytes photo) {
    if (viewer == nullptr || generation != viewer->generation_) return;  // moved on
    // An empty photo is shown as one that could not be had.
    viewer->Show(photo.empty() ? StoredPicture::Nothing()
                                : StoredPicture::KeepAsGiven(std::move(photo)));
  });
}

void PhotoViewer::Show(std::shared_ptr<const StoredPicture> photo) {
  photo_ = std::move(photo);
  ++photoSerial_;
  Decode();
}

void PhotoViewer::Decode() {
  const std::uint64_t decode = ++decode_;
  sink_->latest.store(decode);
  decodedFor_ = size();
  ratio_ = devicePixelRatioF();
  if (photo_ == nullptr) return;  // none yet
  if (photo_->size() == 0) {
    Decoded(decode, QImage(), QSize());
    return;
  }
  // Never enlarged here: a picture smaller than where it goes is drawn
  // larger, smoothly, by the painter.
  const qreal ratio = ratio_;
  const QSize screens(static_cast<int>(std::floor(screens_.width() * ratio)),
                      static_cast<int>(std::floor(screens_.height() * ratio)));
  gdiplus::SizeRule rule = [actual = actualSize_, window = DeviceSize(), screens](
                               std::uint32_t width, std::uint32_t height) {
    const QSize own(static_cast<int>(width), static_cast<int>(height));
    const QSize drawn = DrawnSize(own, actual, window, screens).boundedTo(own);
    return gdiplus::ScaledSize{static_cast<std::uint32_t>(std::max(drawn.width(), 0)),
                               static_cast<std::uint32_t>(std::max(drawn.height(), 0))};
  };
  QThreadPool::globalInstance()->start(
      [sink = sink_, bytes = photo_, rule = std::move(rule), decode, ratio] {
        if (sink->latest.load() != decode) return;  // a later decode is wanted
        QSize own;
        QImage image = DecodeScaled(bytes->Map().bytes(), rule, &own);
        image.setDevicePixelRatio(ratio);
        std::lock_guard lock(sink->mutex);
        if (sink->viewer == nullptr) return;
        PhotoViewer* target = sink->viewer;
        QMetaObject::invokeMethod(
            target,
            [target, decode, image = std::move(image), own]() mutable {
              target->Decoded(decode, std::move(image), own);
            },
            Qt::QueuedConnection);
      });
}

void PhotoViewer::Decoded(std::uint64_t decode, QImage image, QSize own) {
  if (decode != decode_) return;  // a later decode is wanted
  failed_ = image.isNull();
  if (pictureSerial_ != photoSerial_) pan_ = {};  // another photo
  pictureSerial_ = photoSerial_;
  picture_ = std::move(image);
  own_ = failed_ ? QSize() : own;
  update();
}

void PhotoViewer::ShowTitle() {
  const int count = source_.count ? source_.count() : 0;
  setWindowTitle(QString::fromUtf8("第 %1 / %2 张").arg(position_ + 1).arg(count));
}

void PhotoViewer::SetActualSize(bool actual) {
  actualSize_ = actual;
  pan_ = {};
  Decode();
  update();
}

QSize PhotoViewer::DeviceSize() const {
  return QSize(static_cast<int>(std::floor(width() * ratio_)),
               static_cast<int>(std::floor(height() * ratio_)));
}

QSize PhotoViewer::ShownSize(QSize own) const {
  const QSize screens(static_cast<int>(std::floor(screens_.width() * ratio_)),
                      static_cast<int>(std::floor(screens_.height() * ratio_)));
  return DrawnSize(own, actualSize_, DeviceSize(), screens);
}

QRectF PhotoViewer::PicturePlace() const {
  if (picture_.isNull()) return {};
  const QSize shown = ShownSize(own_);
  const QSize window = DeviceSize();
  // Centred in whole device pixels, so that a picture decoded for here
  // covers one device pixel with each of its own.
  const qreal left = std::floor((window.width() - shown.width()) / 2.0) / ratio_;
  const qreal top = std::floor((window.height() - shown.height()) / 2.0) / ratio_;
  const QPointF pan = actualSize_ ? QPointF(pan_) : QPointF();
  return QRectF(QPointF(left, top) + pan, QSizeF(shown) / ratio_);
}

QRect PhotoViewer::PictureRect() const { return PicturePlace().toAlignedRect(); }

void PhotoViewer::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_PageDown:
    case Qt::Key_Right:
    case Qt::Key_Down:
      Move(1);
      break;
    case Qt::Key_PageUp:
    case Qt::Key_Left:
    case Qt::Key_Up:
      Move(-1);
      break;
    case Qt::Key_1:
      SetActualSize(true);
      break;
    case Qt::Key_0:
      SetActualSize(false);
      break;
    case Qt::Key_Escape:
      close();
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void PhotoViewer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressedAt_ = event->position().toPoint();
  panAtPress_ = pan_;
  dragged_ = false;
}

void PhotoViewer::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPoint moved = event->position().toPoint() - pressedAt_;
  if (moved.manhattanLength() > kClickSlack) dragged_ = true;
  if (actualSize_ && dragged_) {
    pan_ = panAtPress_ + moved;
    update();
  }
}

void PhotoViewer::mouseReleaseEvent(QMouseEvent* event) {
  // A click, not a drag, switches between fitted and 100 %.
  if (event->button() == Qt::LeftButton && !dragged_) SetActualSize(!actualSize_);
}

void PhotoViewer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (picture_.isNull()) {
    painter.setPen(Qt::lightGray);
    painter.drawText(rect(), Qt::AlignCenter,
                     failed_ ? QString::fromUtf8("无法显示这张图片") : QString());
    return;
  }
  // Drawn as it is once decoded for here; scaled (smoothly) only while a
  // decode for a new size is on its way, or to enlarge a small picture.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PicturePlace(), picture_);
  // Drawn at another ratio than decoded for (moved to another screen).
  if (photo_ != nullptr && devicePixelRatioF() != ratio_) Decode();
}

void PhotoViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Fitted, the picture is decoded for the window's size.
  if (!actualSize_ && photo_ != nullptr && size() != decodedFor_) Decode();
}

void PhotoViewer::closeEvent(QCloseEvent* event) {
  // Closed, it holds no photo: late answers and decodes find nothing wanted.
  ++generation_;
  ++decode_;
  sink_->latest.store(decode_);
  photo_.reset();
  picture_ = QImage();
  own_ = QSize();
  failed_ = false;
  QWidget::closeEvent(event);
}

ViewerOpener::ViewerOpener(QObject* parent, PhotoViewer* viewer, ViewerSource source,
                           PictureOf pictureOf)
    : QObject(parent),
      viewer_(viewer),
      source_(std::move(source)),
      pictureOf_(std::move(pictureOf)) {}

void ViewerOpener::Watch(QWidget* box, std::uint32_t unit) {
  box->setProperty("viewerUnit", unit);
  box->installEventFilter(this);
}

bool ViewerOpener::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonDblClick ||
      static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
    return false;
  }
  const auto unit = watched->property("viewerUnit").value<std::uint32_t>();
  std::shared_ptr<const StoredPicture> photo = pictureOf_(unit);
  if (photo == nullptr || photo->size() == 0 || !source_.positionOf) return false;
  const int position = source_.positionOf(unit);
  if (position < 0) return false;
  viewer_->Open(std::move(photo), position);
  return true;
}

}  // namespace korvex
