#include "runtime/qt/photo_viewer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>
#include <mutex>

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
};

PhotoViewer::PhotoViewer(ViewerSource source)
    : QWidget(nullptr, Qt::Window), source_(std::move(source)), sink_(std::make_shared<Sink>()) {
  sink_->viewer = this;
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFocusPolicy(Qt::StrongFocus);
  QSize size = kFirstSize;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    size = size.boundedTo(screen->availableSize() * kScreenShare);
  }
  resize(size);
}

PhotoViewer::~PhotoViewer() {
  std::lock_guard lock(sink_->mutex);
  sink_->viewer = nullptr;
}

void PhotoViewer::Open(std::shared_ptr<const base::Bytes> photo, int position) {
  position_ = position;
  SetActualSize(false);
  Decode(std::move(photo), ++generation_);
  ShowTitle();
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
    viewer->Decode(std::make_shared<const base::Bytes>(std::move(photo)), generation);
  });
}

void PhotoViewer::Decode(std::shared_ptr<const base::Bytes> bytes, std::uint64_t generation) {
  if (bytes == nullptr || bytes->empty()) {
    Decoded(generation, QImage());
    return;
  }
  QThreadPool::globalInstance()->start([sink = sink_, bytes = std::move(bytes), generation] {
    QImage image = QImage::fromData(bytes->data(), static_cast<int>(bytes->size()));
    std::lock_guard lock(sink->mutex);
    if (sink->viewer == nullptr) return;
    PhotoViewer* target = sink->viewer;
    QMetaObject::invokeMethod(
        target,
        [target, generation, image = std::move(image)]() mutable {
          target->Decoded(generation, std::move(image));
        },
        Qt::QueuedConnection);
  });
}

void PhotoViewer::Decoded(std::uint64_t generation, QImage image) {
  if (generation != generation_) return;  // a later photo is wanted
  failed_ = image.isNull();
  picture_ = std::move(image);
  pan_ = {};
  update();
}

void PhotoViewer::ShowTitle() {
  const int count = source_.count ? source_.count() : 0;
  setWindowTitle(QString::fromUtf8("第 %1 / %2 张").arg(position_ + 1).arg(count));
}

void PhotoViewer::SetActualSize(bool actual) {
  actualSize_ = actual;
  pan_ = {};
  update();
}

QRect PhotoViewer::PictureRect() const {
  if (picture_.isNull()) return {};
  QSize size = picture_.size();
  if (!actualSize_) size.scale(this->size(), Qt::KeepAspectRatio);
  const QPoint centred((width() - size.width()) / 2, (height() - size.height()) / 2);
  return QRect(centred + (actualSize_ ? pan_ : QPoint()), size);
}

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
  painter.setRenderHint(QPainter::SmoothPixmapTransform, !actualSize_);
  painter.drawImage(PictureRect(), picture_);
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
  std::shared_ptr<const base::Bytes> photo = pictureOf_(unit);
  if (photo == nullptr || photo->empty() || !source_.positionOf) return false;
  const int position = source_.positionOf(unit);
  if (position < 0) return false;
  viewer_->Open(std::move(photo), position);
  return true;
}

}  // namespace korvex
