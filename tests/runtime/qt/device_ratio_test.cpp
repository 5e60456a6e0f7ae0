// Photos at the screen's device pixels. ctest runs the first case with
// QT_SCALE_FACTOR set (2, and a fractional 1.5), as on a high-density
// screen: a photo with detail in every device pixel must keep it in a box
// and in the viewer, not show it in blocks of the ratio's size. It runs the
// second on two offscreen screens of ratios 1 and 2 (two_screens.json): a
// window moved from one to the other draws its photos again at the new
// ratio.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "program/pages/main_window_form.h"
#include "program/routines/unit_ids.h"
#include "runtime/core/unit_model.h"
#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "runtime/qt/photo_viewer.h"
#include "runtime/qt/picture_box.h"
#include "runtime/qt/qt_front.h"

namespace korvex {
namespace {

struct NoEvents final : FrontEvents {
  void OnUnitEvent(std::uint32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
  }
  void OnWindowClosing() override {}
};

bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 5000 && !done(); ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return done();
}

// A BMP whose pixels alternate black and white in both directions: every
// device pixel differs from its neighbours when drawn one to one.
base::Bytes Checkerboard(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      image.setPixel(x, y, (x + y) % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu);
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return base::Bytes(bytes.begin(), bytes.end());
}

// The share of horizontally neighbouring pixels in `area` of `image` that
// differ clearly: near 1 for the checkerboard drawn one to one, 0 when each
// picture pixel covers a block of device pixels or is averaged to grey.
double DetailShare(const QImage& image, QRect area) {
  int differ = 0, pairs = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x < area.right(); ++x) {
      ++pairs;
      if (std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))) > 128) ++differ;
    }
  }
  return pairs == 0 ? 0 : static_cast<double>(differ) / pairs;
}

// The main window as the runtime builds it.
struct Window {
  form::Form form;
  std::unique_ptr<UnitModel> model;
  NoEvents events;
  QtFront front;
  Window() {
    auto parsed = form::ReadForm(form::WriteForm(pixaroo::MainWindowForm()));
    form = *parsed;
    std::vector<UnitModel::UnitInfo> infos;
    for (const auto& u : form.units) infos.push_back({u.id, u.typeId});
    model = std::make_unique<UnitModel>(infos);
    front.CreateWindow(form, *model, events);
  }
};

TEST(DeviceRatio, PhotosKeepEveryDevicePixelOfDetailInBoxAndViewer) {
  const char* factor = std::getenv("QT_SCALE_FACTOR");
  ASSERT_NE(factor, nullptr) << "run through ctest, which sets the scale factor";
  const double ratio = std::atof(factor);
  Window window;
  UnitModel& model = *window.model;
  QtFront& front = window.front;
  auto* box = static_cast<PictureBox*>(front.UnitWidget(pixaroo::unit_id::kPictureBox1));
  ASSERT_NE(box, nullptr);
  ASSERT_DOUBLE_EQ(box->devicePixelRatioF(), ratio);

  // A 150 x 230 box holds 150 x 230 times the ratio device pixels; a photo
  // of exactly that size is drawn one to one.
  const QSize device(static_cast<int>(std::floor(150 * ratio)),
                     static_cast<int>(std::floor(230 * ratio)));
  model.WriteProperty(pixaroo::unit_id::kPictureBox1, kPropPicture, Checkerboard(device));
  ASSERT_TRUE(PumpUntil([&] { return box->HasImage(); }));
  EXPECT_EQ(box->Image().size(), device);
  EXPECT_EQ(box->Image().devicePixelRatio(), ratio);
  EXPECT_EQ(box->ImageRect(), QRect(0, 0, 150, 230));
  const QImage shown = box->grab().toImage();
  ASSERT_EQ(shown.size(), device);
  EXPECT_GT(DetailShare(shown, QRect(QPoint(0, 0), device)), 0.99);

  // The viewer, fitted, decodes for its size in device pixels.
  ViewerSource source;
  source.positionOf = [](std::uint32_t) { return 0; };
  source.count = [] { return 1; };
  source.request = [](int, std::function<void(base::Bytes)>) {};
  front.BindViewer(source);
  PhotoViewer* viewer = front.Viewer();
  const QSize viewerDevice(static_cast<int>(std::floor(viewer->width() * ratio)),
                           static_cast<int>(std::floor(viewer->height() * ratio)));
  viewer->Open(StoredPicture::Share(std::make_shared<const base::Bytes>(Checkerboard(viewerDevice))), 0);
  ASSERT_TRUE(PumpUntil([&] { return !viewer->Picture().isNull(); }));
  EXPECT_EQ(viewer->Picture().size(), viewerDevice);
  const QImage large = viewer->grab().toImage();
  EXPECT_GT(DetailShare(large, QRect(QPoint(0, 0), viewerDevice).adjusted(2, 2, -2, -2)), 0.99);
  viewer->close();
}

TEST(DeviceRatio, AWindowMovedToAScreenOfAnotherRatioDrawsItsPhotosAgain) {
  Window window;  // the application with its screens
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(screens.size(), 2) << "run through ctest, which gives two screens";
  ASSERT_EQ(screens[0]->devicePixelRatio(), 1);
  ASSERT_EQ(screens[1]->devicePixelRatio(), 2);
  QWidget* main = window.front.Window();
  auto* box = static_cast<PictureBox*>(window.front.UnitWidget(pixaroo::unit_id::kPictureBox1));
  window.model->WriteProperty(pixaroo::unit_id::kPictureBox1, kPropPicture,
                              Checkerboard(QSize(300, 460)));
  ASSERT_TRUE(PumpUntil([&] { return box->HasImage(); }));
  EXPECT_EQ(box->Image().size(), QSize(150, 230));  // on the first screen, ratio 1

  main->windowHandle()->setScreen(screens[1]);
  main->move(screens[1]->geometry().topLeft() + QPoint(50, 50));
  ASSERT_TRUE(PumpUntil([&] { return box->devicePixelRatioF() == 2; }));
  // Drawn again for the new screen, with no new picture from the model.
  EXPECT_TRUE(PumpUntil([&] {
    return box->Image().devicePixelRatio() == 2 && box->Image().size() == QSize(300, 460);
  }));
  const QImage shown = box->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(300, 460));
  EXPECT_GT(DetailShare(shown, QRect(0, 0, 300, 460)), 0.99);

  // The viewer too: opened on the first screen, moved to the second.
  ViewerSource source;
  source.positionOf = [](std::uint32_t) { return 0; };
  source.count = [] { return 1; };
  source.request = [](int, std::function<void(base::Bytes)>) {};
  window.front.BindViewer(source);
  PhotoViewer* viewer = window.front.Viewer();
  viewer->Open(StoredPicture::Share(std::make_shared<const base::Bytes>(Checkerboard(QSize(2000, 1500)))), 0);
  ASSERT_TRUE(PumpUntil([&] { return !viewer->Picture().isNull(); }));
  const QSize fitted = viewer->Picture().size();
  EXPECT_EQ(viewer->Picture().devicePixelRatio(), 1);
  viewer->windowHandle()->setScreen(screens[1]);
  viewer->move(screens[1]->geometry().topLeft() + QPoint(20, 20));
  EXPECT_TRUE(PumpUntil([&] {
    return viewer->Picture().devicePixelRatio() == 2 && viewer->Picture().size() == fitted * 2;
  }));
  viewer->close();
}

}  // namespace
}  // namespace korvex
