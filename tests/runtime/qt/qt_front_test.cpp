// The Qt window as the runtime builds it from the program's description:
// geometry, captions, font, visibility, pictures, menus and event routing.
#include "runtime/qt/qt_front.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <set>
#include <thread>

#include "runtime/core/unit_model.h"
#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "runtime/qt/photo_viewer.h"
#include "runtime/qt/picture_box.h"
#include "runtime/qt/program_icon.h"
#include "program/pages/main_window_form.h"
#include "tests/support/scoped_env.h"

namespace korvex {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

using pixaroo::unit_id::kButton1;
using pixaroo::unit_id::kButton2;
using pixaroo::unit_id::kButton3;

struct Recorder final : FrontEvents {
  std::vector<std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>> events;
  int closing = 0;
  void OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                   std::int32_t) override {
    events.emplace_back(unit, event, a, b);
  }
  void OnWindowClosing() override { ++closing; }
};

class QtWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // Built from the stored bytes, as the runtime does.
    auto parsed = form::ReadForm(form::WriteForm(pixaroo::MainWindowForm()));
    ASSERT_TRUE(parsed.ok()) << parsed.error().text;
    form_ = *parsed;
    std::vector<UnitModel::UnitInfo> infos;
    for (const auto& u : form_.units) infos.push_back({u.id, u.typeId});
    model_ = std::make_unique<UnitModel>(infos);
    front_ = std::make_unique<QtFront>();
    front_->CreateWindow(form_, *model_, events_);
  }
  void TearDown() override {
    front_.reset();
    model_.reset();
  }

  QWidget* W(std::uint32_t unit) { return front_->UnitWidget(unit); }
  // Top-left of a unit in the window's client coordinates.
  QPoint InWindow(std::uint32_t unit) { return W(unit)->mapTo(front_->Window(), QPoint(0, 0)); }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  // Pumps until `done` holds (true) or some `seconds` pass.
  static bool PumpUntil(const std::function<bool()>& done, int seconds = 4) {
    for (int i = 0; i < seconds * 500 && !done(); ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(2);
    }
    return done();
  }

  form::Form form_;
  std::unique_ptr<UnitModel> model_;
  Recorder events_;
  std::unique_ptr<QtFront> front_;
};

QString Utf8(const char* s) { return QString::fromUtf8(s); }

TEST_F(QtWindow, LayoutCaptionsAndFontFollowTheDescription) {
  QWidget* window = front_->Window();
  EXPECT_EQ(window->windowTitle(), "Vexora-QQPixaroo");
  // 517 x 637 is the outer size on the classic frame (4-pixel borders, a
  // 25-pixel caption): the client area is 509 x 604, and it stays so.
  EXPECT_EQ(window->pos(), QPoint(50, 50));
  EXPECT_EQ(window->size(), QSize(509, 604));
  EXPECT_EQ(window->minimumSize(), QSize(509, 604));
  EXPECT_EQ(window->maximumSize(), QSize(509, 604));
  window->resize(800, 700);
  EXPECT_EQ(window->size(), QSize(509, 604));
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);

  const std::array<QPoint, 6> grid = {QPoint(16, 32),  QPoint(184, 32),  QPoint(352, 32),
                                      QPoint(16, 272), QPoint(184, 272), QPoint(352, 272)};
  for (std::size_t i = 0; i < 6; ++i) {
    QWidget* box = W(pixaroo::kPictureBoxIds[i]);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(InWindow(pixaroo::kPictureBoxIds[i]), grid[i]) << "box " << i + 1;
    EXPECT_EQ(box->size(), QSize(150, 230));
    EXPECT_TRUE(box->isVisible());
  }
  auto* update = qobject_cast<QPushButton*>(W(kButton1));
  auto* previous = qobject_cast<QPushButton*>(W(kButton2));
  auto* next = qobject_cast<QPushButton*>(W(kButton3));
  ASSERT_TRUE(update && previous && next);
  EXPECT_EQ(update->text(), Utf8("更新"));
  EXPECT_EQ(previous->text(), Utf8("上一页"));
  EXPECT_EQ(next->text(), Utf8("下一页"));
  EXPECT_EQ(InWindow(kButton1), QPoint(24, 536));
  EXPECT_EQ(InWindow(kButton2), QPoint(144, 536));
  EXPECT_EQ(InWindow(kButton3), QPoint(312, 536));
  EXPECT_EQ(update->size(), QSize(80, 32));
  EXPECT_EQ(update->focusPolicy(), Qt::StrongFocus);
  EXPECT_EQ(InWindow(pixaroo::unit_id::kQqSupport1), QPoint(424, 536));
  EXPECT_EQ(W(pixaroo::unit_id::kQqSupport1)->size(), QSize(74, 22));

  // The index list lies beyond the window's right edge, yet exists.
  auto* list = qobject_cast<QListWidget*>(W(pixaroo::unit_id::kListBox1));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(InWindow(pixaroo::unit_id::kListBox1), QPoint(520, 16));
  EXPECT_GE(InWindow(pixaroo::unit_id::kListBox1).x(), window->width());
  ASSERT_TRUE(qobject_cast<QGroupBox*>(W(pixaroo::unit_id::kGroupBox3)) != nullptr);
  EXPECT_EQ(InWindow(pixaroo::unit_id::kGroupBox3), QPoint(512, 8));
  EXPECT_TRUE(W(pixaroo::unit_id::kGroupBox3)->visibleRegion().isEmpty());

  auto* status = qobject_cast<QLabel*>(W(pixaroo::unit_id::kStatusBar1));
  ASSERT_NE(status, nullptr);
  // Docked at the bottom of the client area, right under the button group.
  EXPECT_EQ(status->geometry(), QRect(0, 584, 509, 20));
  EXPECT_EQ(W(pixaroo::unit_id::kGroupBox2)->geometry().bottom() + 1, status->geometry().top());
  EXPECT_EQ(status->font().pixelSize(), 12);
  EXPECT_TRUE(QFontInfo(status->font()).family().contains("UMing"))
      << QFontInfo(status->font()).family().toStdString();

  // The dialog has no widget; the menu "play" holds one entry.
  EXPECT_EQ(W(pixaroo::unit_id::kCommonDialog1), nullptr);
  QMenu* play = front_->Menu(pixaroo::unit_id::kMenuPlay);
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(play->title(), "play");
  ASSERT_EQ(play->actions().size(), 1);
  EXPECT_EQ(play->actions()[0]->text(), Utf8("保存图片"));
}

TEST_F(QtWindow, WorkerChangesReachTheWidgetsOnTheGuiThread) {
  QImage wide(300, 100, QImage::Format_RGB32);
  wide.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  wide.save(&buffer, "BMP");
  const Bytes picture(png.begin(), png.end());

  std::thread worker([&] {
    for (int i = 0; i < 200; ++i)
      model_->ListAdd(pixaroo::unit_id::kListBox1, "/p/" + std::to_string(i));
    model_->WriteProperty(pixaroo::unit_id::kPictureBox2, kPropPicture, picture);
    model_->SetStatusText(pixaroo::unit_id::kStatusBar1, 0, "\xD5\xFD\xD4\xDA");  // 正在
    model_->WriteProperty(kButton1, kPropDisabled, true);
  });
  worker.join();
  Pump();
  auto* list = qobject_cast<QListWidget*>(W(pixaroo::unit_id::kListBox1));
  EXPECT_EQ(list->count(), 200);
  EXPECT_EQ(list->item(199)->text(), "/p/199");
  auto* box = static_cast<PictureBox*>(W(pixaroo::unit_id::kPictureBox2));
  // Decoded off the window thread: shown once the scaled image is back.
  ASSERT_TRUE(PumpUntil([&] { return box->HasImage(); }));
  EXPECT_EQ(box->ImageRect(), QRect(0, 90, 150, 50));  // fit, aspect kept, centred
  EXPECT_EQ(qobject_cast<QLabel*>(W(pixaroo::unit_id::kStatusBar1))->text(), Utf8("正在"));
  EXPECT_FALSE(W(kButton1)->isEnabled());

  // The status bar's progress bar beside the text: shown with its value,
  // hidden again with a maximum of 0.
  auto* statusBar = W(pixaroo::unit_id::kStatusBar1);
  EXPECT_EQ(statusBar->findChild<QProgressBar*>(), nullptr);
  model_->SetStatusProgress(pixaroo::unit_id::kStatusBar1, {300, 700});
  Pump();
  auto* bar = statusBar->findChild<QProgressBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->value(), 300);
  EXPECT_EQ(bar->maximum(), 700);
  model_->SetStatusProgress(pixaroo::unit_id::kStatusBar1, {0, 0});
  Pump();
  EXPECT_FALSE(bar->isVisible());

  // A cleared and refilled list is shown afresh; bytes that are no image
  // show nothing.
  model_->ListClear(pixaroo::unit_id::kListBox1);
  model_->ListAdd(pixaroo::unit_id::kListBox1, "only");
  model_->WriteProperty(pixaroo::unit_id::kPictureBox2, kPropPicture, Bytes{'<', 'h'});
  Pump();
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), "only");
  EXPECT_TRUE(PumpUntil([&] { return !box->HasImage(); }));
}

TEST_F(QtWindow, ANewerPictureWinsOverALateOne) {
  auto bmp = [](int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return std::make_shared<const Bytes>(bytes.begin(), bytes.end());
  };
  const auto wide = bmp(300, 100);
  const auto tall = bmp(100, 300);
  // The wide picture's decode waits, once begun, until the test lets it end.
  std::promise<void> wideBegun;
  std::atomic<bool> wideMayEnd{false};
  auto letWideEnd = [&] {
    wideMayEnd = true;
    wideMayEnd.notify_all();
    QThreadPool::globalInstance()->waitForDone();
  };
  struct AtExit {
    std::function<void()> run;
    ~AtExit() { run(); }
  } atExit{letWideEnd};
  QThreadPool* pool = QThreadPool::globalInstance();
  pool->setMaxThreadCount(std::max(pool->maxThreadCount(), 2));  // both decodes at once
  PictureBox box(nullptr, [](int, int, int) {}, [&](gdiplus::ByteSpan bytes, QSize size) {
    if (std::equal(bytes.begin(), bytes.end(), wide->begin(), wide->end())) {
      wideBegun.set_value();
      wideMayEnd.wait(false);
    }
    return PictureBox::DecodeToFit(bytes, size);
  });
  box.resize(200, 200);
  box.SetPicture(wide);
  ASSERT_EQ(wideBegun.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
  box.SetPicture(tall);
  ASSERT_TRUE(PumpUntil([&] { return box.HasImage(); }));
  const QRect shown = box.ImageRect();
  EXPECT_GT(shown.height(), shown.width());  // the tall picture
  // The wide decode ends late; its result, handed back after the tall
  // one's, is dropped.
  letWideEnd();
  Pump();
  EXPECT_EQ(box.ImageRect(), shown);
}

TEST_F(QtWindow, ClicksAndClosingAreReportedAsDescriptionEvents) {
  qobject_cast<QPushButton*>(W(kButton3))->click();
  QWidget* box = W(pixaroo::unit_id::kPictureBox4);
  QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 6), box->mapToGlobal(QPointF(5, 6)),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(box, &right);
  QMouseEvent left(QEvent::MouseButtonPress, QPointF(1, 2), box->mapToGlobal(QPointF(1, 2)),
                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(W(pixaroo::unit_id::kQqSupport1), &left);
  using E = std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>;
  EXPECT_EQ(events_.events,
            (std::vector<E>{E{kButton3, 0, 0, 0}, E{pixaroo::unit_id::kPictureBox4, -4, 5, 6},
                            E{pixaroo::unit_id::kQqSupport1, -1, 1, 2}}));
  front_->Window()->close();
  front_->Window()->close();
  EXPECT_EQ(events_.closing, 1);
}

TEST_F(QtWindow, PagingKeysClickTheirButtonsOnlyWhenAButtonClickWould) {
  front_->BindKey(kButton3, kKeyPageDown);
  front_->BindKey(kButton3, kKeyRight);
  front_->BindKey(kButton2, kKeyPageUp);
  front_->BindKey(kButton2, kKeyLeft);
  QWidget* window = front_->Window();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  W(kButton1)->setFocus();  // a focused button moves focus with the arrows otherwise
  using E = std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>;
  for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Left}) {
    QTest::keyClick(window, key);
  }
  EXPECT_EQ(events_.events, (std::vector<E>{E{kButton3, 0, 0, 0}, E{kButton3, 0, 0, 0},
                                            E{kButton2, 0, 0, 0}, E{kButton2, 0, 0, 0}}));
  events_.events.clear();

  // A disabled button takes no key; an unbound key clicks nothing.
  model_->WriteProperty(kButton3, kPropDisabled, true);
  Pump();
  QTest::keyClick(window, Qt::Key_PageDown);
  QTest::keyClick(window, Qt::Key_Right);
  QTest::keyClick(window, Qt::Key_Down);
  EXPECT_TRUE(events_.events.empty());

  // While the popup menu is open the keys go to the menu.
  bool pressedInMenu = false;
  QTimer::singleShot(0, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    if (popup == nullptr) return;
    pressedInMenu = true;
    QTest::keyClick(popup, Qt::Key_PageUp);
    QTest::keyClick(popup, Qt::Key_Left);
    popup->close();
  });
  EXPECT_EQ(front_->PopupMenu(pixaroo::unit_id::kMenuPlay), 0u);
  EXPECT_TRUE(pressedInMenu);
  EXPECT_TRUE(events_.events.empty());
  // The offscreen platform leaves the closed menu active; a desktop gives
  // the window back its activation.
  QApplication::setActiveWindow(window);
  QTest::keyClick(window, Qt::Key_PageUp);
  EXPECT_EQ(events_.events, (std::vector<E>{E{kButton2, 0, 0, 0}}));
}

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

  // 100 % on a key and on a click; a click again fits it; resizing refits,
  // and the picture is decoded again for the new size.
  QTest::keyClick(viewer, Qt::Key_1);
  EXPECT_EQ(viewer->PictureRect().size(), full);
  QTest::mouseClick(viewer, Qt::LeftButton);
  EXPECT_FALSE(viewer->ActualSize());
  QTest::mouseClick(viewer, Qt::LeftButton);
  EXPECT_EQ(viewer->PictureRect().size(), full);
  EXPECT_TRUE(shows(colours[1]));
  EXPECT_EQ(viewer->Picture().size(), full);
  QTest::keyClick(viewer, Qt::Key_0);
  viewer->resize(320, 600);
  EXPECT_EQ(viewer->PictureRect().size(), QSize(320, 240));
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

// A dialog's buttons' texts without their keyboard accelerators ("&S",
// or "(S)" after a Chinese word).
QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (auto* b : dialog->findChildren<QDialogButtonBox*>()) {
    for (auto* button : b->buttons()) {
      texts << button->text().remove('&').remove(QRegularExpression("\\(\\w\\)$"));
    }
  }
  return texts;
}

// The gate for Qt's own dialogs: while it lives, each dialog of type T
// that shows is handed to `act` from that dialog's own event loop. The
// call is posted when the dialog shows, which its exec does just before
// its loop turns, so the answer can neither come too early nor be missed.
template <typename T>
class OnEachShown final : public QObject {
 public:
  explicit OnEachShown(std::function<void(T*)> act) : act_(std::move(act)) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~OnEachShown() override { QCoreApplication::instance()->removeEventFilter(this); }
  int Shown() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<T*>(watched);
    if (event->type() == QEvent::Show && dialog != nullptr && dialog->isWindow()) {
      ++shown_;
      QMetaObject::invokeMethod(
          dialog, [this, dialog] { act_(dialog); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  std::function<void(T*)> act_;
  int shown_ = 0;
};

TEST_F(QtWindow, QtsOwnDialogsSpeakChineseAndSaveToTheDesktop) {
  // A home whose XDG desktop directory has a Chinese name and holds a file.
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const QString desktop = home.path() + Utf8("/桌面");
  ASSERT_TRUE(QDir().mkpath(desktop));
  ASSERT_TRUE(QDir().mkpath(home.path() + "/config"));
  std::ofstream(QString(home.path() + "/config/user-dirs.dirs").toStdString())
      << "XDG_DESKTOP_DIR=\"$HOME/\xE6\xA1\x8C\xE9\x9D\xA2\"\n";
  std::ofstream(QString(desktop + "/old.bmp").toStdString()) << "BM";
  const pixaroo::testing::ScopedEnv homeVar("HOME", home.path().toStdString());
  const pixaroo::testing::ScopedEnv config("XDG_CONFIG_HOME", (home.path() + "/config").toStdString());

  // The message box's one button.
  QStringList okButton;
  {
    const OnEachShown<QMessageBox> notice([&](QMessageBox* box) {
      okButton = ButtonTexts(box);
      box->accept();
    });
    front_->MessageBox("\xC4\xE3\xBA\xC3", 0, "\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE");
    EXPECT_EQ(notice.Shown(), 1);
  }
  EXPECT_EQ(okButton, QStringList{Utf8("确定")});

  // The save dialog: on the desktop, the stored filter label once, Chinese
  // buttons; a name that exists is replaced only after a Chinese question
  // (answered 否 here, once), and a name typed without an extension gets
  // ".bmp". The folder's listing arrives from Qt's own thread; once it is
  // in, typing "old" selects old.bmp in the list, and Qt lets that go only
  // while the name field has focus. The next name is typed without focus
  // there (as when 否 was clicked and focus has not come back yet): the name
  // typed must still be the one taken.
  QString folder;
  QStringList filters;
  QStringList dialogButtons;
  QString question;
  QStringList questionButtons;
  QFileDialog* saveDialog = nullptr;
  QLineEdit* name = nullptr;
  QListView* list = nullptr;
  bool listed = false;
  bool selectedWhenTyped = false;
  int questions = 0;
  const OnEachShown<QFileDialog> typeOld([&](QFileDialog* dialog) {
    saveDialog = dialog;
    folder = dialog->directory().absolutePath();
    if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo")) {
      for (int i = 0; i < combo->count(); ++i) filters << combo->itemText(i);
    }
    dialogButtons = ButtonTexts(dialog);
    name = dialog->findChild<QLineEdit*>("fileNameEdit");
    list = dialog->findChild<QListView*>("listView");
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (name == nullptr || list == nullptr || model == nullptr) return dialog->reject();
    // Types "old" once the listing is in.
    auto typeOld = [dialog, model, &name, &list, &listed, &selectedWhenTyped] {
      if (listed || model->rowCount(model->index(dialog->directory().absolutePath())) == 0)
        return;
      listed = true;
      name->setText("old");
      selectedWhenTyped = list->selectionModel()->selectedRows().size() == 1;
      static_cast<QDialog*>(dialog)->accept();  // asks the question, within this call
    };
    QObject::connect(model, &QFileSystemModel::directoryLoaded, dialog, typeOld);
    typeOld();
    // Only against a hang: a folder of one file is listed in a blink.
    QTimer::singleShot(60'000, dialog, [dialog, &listed] {
      if (!listed) dialog->reject();
    });
  });
  const OnEachShown<QMessageBox> answerNo([&](QMessageBox* box) {
    question = box->text();
    questionButtons = ButtonTexts(box);
    box->button(QMessageBox::No)->click();  // the dialog stays open
    if (saveDialog == nullptr || name == nullptr) return;
    // Asked again: end here, the checks below say what went wrong.
    if (++questions > 1) return saveDialog->reject();
    QMetaObject::invokeMethod(
        saveDialog,
        [&] {
          name->clearFocus();
          name->setText("photo");
          static_cast<QDialog*>(saveDialog)->accept();
        },
        Qt::QueuedConnection);
  });
  const std::string chosen = front_->SaveFileDialog(pixaroo::unit_id::kCommonDialog1);
  EXPECT_EQ(typeOld.Shown(), 1);
  EXPECT_TRUE(listed);
  EXPECT_TRUE(selectedWhenTyped);  // the race was reached
  EXPECT_EQ(answerNo.Shown(), 1);
  EXPECT_EQ(folder, QDir(desktop).absolutePath());
  EXPECT_EQ(filters, QStringList{Utf8("位图（*.bmp)")});
  EXPECT_EQ(dialogButtons, (QStringList{Utf8("保存"), Utf8("取消")}));
  EXPECT_TRUE(question.contains(Utf8("替换"))) << question.toStdString();
  EXPECT_EQ(questionButtons, (QStringList{Utf8("是"), Utf8("否")}));
  EXPECT_EQ(QString::fromStdString(chosen), desktop + "/photo.bmp");
}

#ifdef PIXAROO_BUILD_DIR
TEST_F(QtWindow, TheProgramsIconSetHasItsSmallSizesDrawnForTheirSize) {
  // As the window finds it beside the built executable.
  const QIcon icon = ProgramIcon(PIXAROO_BUILD_DIR "/pixaroo");
  QList<int> sizes;
  for (const QSize& s : icon.availableSizes()) sizes << s.width();
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (QList<int>{16, 32, 48, 64, 128, 256}));
  // Drawn on the pixel grid, not scaled down from the large drawing: no
  // half-covered pixel, a handful of colours.
  for (const int size : {16, 32}) {
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    std::set<QRgb> colours;
    int blended = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const QRgb p = image.pixel(x, y);
        blended += qAlpha(p) != 0 && qAlpha(p) != 255 ? 1 : 0;
        colours.insert(p);
      }
    }
    EXPECT_EQ(blended, 0) << size;
    EXPECT_LE(colours.size(), 10u) << size;
  }
}
#endif

}  // namespace
}  // namespace korvex
