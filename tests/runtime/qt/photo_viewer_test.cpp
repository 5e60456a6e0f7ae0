// The photo viewer a double-click on a picture box opens: fitted and at
// 100 %, walking the index, a photo too large for Qt's own reader, closing.
#include "runtime/qt/photo_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "runtime/qt/picture_box.h"
#include "tests/runtime/qt/qt_window_fixture.h"

namespace korvex {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

// A photo of `size` filled with `colour`, as BMP file bytes.
Bytes BmpOf(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return Bytes(bmp.begin(), bmp.end());
}

// A 24-bit BMP of `size`: its top quarter green, below that the left half
// red and the right half blue.
Bytes BandedBmp(QSize size) {
  const int w = size.width(), h = size.height();
  const int stride = (w * 3 + 3) / 4 * 4;
  const std::size_t pixels = std::size_t(stride) * h;
  Bytes bmp(54 + pixels, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));  // bottom row first
  bmp[26] = 1;
  bmp[28] = 24;
  Bytes green(stride, 0), halves(stride, 0);
  for (int x = 0; x < w; ++x) {
    green[x * 3 + 1] = 0xFF;                     // B G R
    halves[x * 3 + (x < w / 2 ? 2 : 0)] = 0xFF;  // red, then blue
  }
  for (int row = 0; row < h; ++row) {
    const Bytes& line = row >= h - h / 4 ? green : halves;
    std::copy(line.begin(), line.end(), bmp.begin() + 54 + std::ptrdiff_t(row) * stride);
  }
  return bmp;
}

TEST_F(QtWindow, ADoubleClickedPhotoIsSeenLargeAndWalksTheIndex) {
  // An index of four photos of their own colours; box 2 shows position 1,
  // box 3 nothing. The source counts what it is asked to fetch.
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  const QSize full(640, 480);  // larger than a box, smaller than the window
  std::vector<int> requested;
  ViewerSource source;
  source.positionOf = [](std::uint32_t box) {
    return box == pixaroo::unit_id::kPictureBox2 || box == pixaroo::unit_id::kPictureBox3 ? 1 : -1;
  };
  source.count = [] { return 4; };
  std::vector<std::function<void(Bytes)>> pending;
  source.request = [&](int position, std::function<void(Bytes)> done) {
    requested.push_back(position);
    pending.push_back(
        [done = std::move(done), bytes = BmpOf(full, colours[position])](Bytes) { done(bytes); });
  };
  front_->BindViewer(source);
  PhotoViewer* viewer = front_->Viewer();
  ASSERT_NE(viewer, nullptr);
  model_->WriteProperty(pixaroo::unit_id::kPictureBox2, kPropPicture, BmpOf(full, colours[1]));
  Pump();
  auto doubleClick = [&](std::uint32_t unit) {
    QWidget* box = W(unit);
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(7, 7), box->mapToGlobal(QPointF(7, 7)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &e);
  };
  // Shows `c`, decoded for the size it is drawn at.
  auto shows = [&](const QColor& c) {
    return PumpUntil([&] {
      return !viewer->Picture().isNull() &&
             viewer->Picture().size() == viewer->PictureRect().size() &&
             viewer->Picture().pixelColor(5, 5) == c;
    });
  };

  doubleClick(pixaroo::unit_id::kPictureBox3);  // shows no picture: nothing opens
  Pump();
  EXPECT_FALSE(viewer->isVisible());
  doubleClick(pixaroo::unit_id::kPictureBox2);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->Position(), 1);
  // The box's own photo, fitted to the window: no request.
  EXPECT_TRUE(shows(colours[1]));
  EXPECT_TRUE(requested.empty());
  const QRect fitted = viewer->PictureRect();
  EXPECT_TRUE(fitted.width() == viewer->width() || fitted.height() == viewer->height());
  EXPECT_EQ(fitted.width() * full.height(), fitted.height() * full.width());  // aspect kept

  // Resizing refits, and the picture is decoded again for the new size: a
  // window narrower than the photo, where fitted and 100 % differ.
  viewer->resize(320, 600);
  const QSize narrow(320, 240);
  EXPECT_EQ(viewer->PictureRect().size(), narrow);
  EXPECT_TRUE(shows(colours[1]));
  // 100 % on a key and on a click; a click again, or the 0 key, fits it.
  QTest::keyClick(viewer, Qt::Key_1);
  EXPECT_EQ(viewer->PictureRect().size(), full);
  QTest::mouseClick(viewer, Qt::LeftButton);
  EXPECT_EQ(viewer->PictureRect().size(), narrow);
  QTest::mouseClick(viewer, Qt::LeftButton);
  EXPECT_EQ(viewer->PictureRect().size(), full);
  EXPECT_TRUE(shows(colours[1]));
  EXPECT_EQ(viewer->Picture().size(), full);
  QTest::keyClick(viewer, Qt::Key_0);
  EXPECT_EQ(viewer->PictureRect().size(), narrow);
  EXPECT_TRUE(shows(colours[1]));

  // The keys walk the index one photo at a time, never past its ends; only
  // the answer to the latest move is shown.
  QTest::keyClick(viewer, Qt::Key_PageDown);
  QTest::keyClick(viewer, Qt::Key_Right);
  EXPECT_EQ(viewer->Position(), 3);
  QTest::keyClick(viewer, Qt::Key_Down);  // the last photo: no further
  EXPECT_EQ(requested, (std::vector<int>{2, 3}));
  pending[1]({});
  EXPECT_TRUE(shows(colours[3]));
  // The earlier move's late answer changes nothing: once every decode it
  // could have started has ended and handed its picture back, the viewer
  // still shows the latest.
  pending[0]({});
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(viewer->Picture().pixelColor(5, 5), colours[3]);
  for (const Qt::Key key : {Qt::Key_PageUp, Qt::Key_Left, Qt::Key_Up, Qt::Key_Up}) {
    QTest::keyClick(viewer, key);
  }
  EXPECT_EQ(viewer->Position(), 0);
  EXPECT_EQ(requested, (std::vector<int>{2, 3, 2, 1, 0}));
  pending.back()({});
  EXPECT_TRUE(shows(colours[0]));

  // A converted photo near the decoders' cap, which Qt's own reader refuses
  // for its size, shows all the same: fitted, and at 100 % within the
  // bound the viewer keeps (twice the screen each way).
  const QSize huge(7000, 5000);
  const auto hugeBmp = std::make_shared<const Bytes>(BandedBmp(huge));
  {
    QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(hugeBmp->data()),
                                             static_cast<qsizetype>(hugeBmp->size()));
    QBuffer buffer(&raw);
    QImageReader reader(&buffer, "BMP");
    EXPECT_EQ(reader.size(), huge);
    EXPECT_TRUE(reader.read().isNull());
  }
  auto showsBands = [&] {
    return PumpUntil(
        [&] {
          const QImage& p = viewer->Picture();
          if (p.isNull() || p.size() != viewer->PictureRect().size()) return false;
          const int w = p.width(), h = p.height();
          return p.pixelColor(2, 2) == Qt::green && p.pixelColor(2, h - 3) == Qt::red &&
                 p.pixelColor(w - 3, h - 3) == Qt::blue;
        },
        60);  // each decode reads all 35 megapixels
  };
  viewer->Open(StoredPicture::Keep(Bytes(*hugeBmp)), 2);  // kept in a file
  EXPECT_TRUE(showsBands());
  EXPECT_EQ(viewer->PictureRect().size(), QSize(320, 229));  // 7000 x 5000 fitted to 320
  QTest::keyClick(viewer, Qt::Key_1);
  const QSize screens = QGuiApplication::primaryScreen()->size() * 2;
  ASSERT_LT(screens.width() * 5, screens.height() * 7);  // wider than the screens: width-bound
  EXPECT_EQ(viewer->PictureRect().size(),
            QSize(screens.width(), static_cast<int>(std::lround(screens.width() * 5.0 / 7))));
  EXPECT_TRUE(showsBands());

  // Escape closes it, and it lets its photo go; the main window is as it was.
  QTest::keyClick(viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());
  EXPECT_TRUE(viewer->Picture().isNull());
  EXPECT_TRUE(front_->Window()->isVisible());
  EXPECT_TRUE(static_cast<PictureBox*>(W(pixaroo::unit_id::kPictureBox2))->HasImage() ||
              PumpUntil([&] {
                return static_cast<PictureBox*>(W(pixaroo::unit_id::kPictureBox2))->HasImage();
              }));
  // The double-click that opened the viewer was the viewer's; the one on
  // the empty box went on as a press.
  using E = std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>;
  EXPECT_EQ(events_.events, (std::vector<E>{E{pixaroo::unit_id::kPictureBox3, -1, 7, 7}}));
}

}  // namespace
}  // namespace korvex
