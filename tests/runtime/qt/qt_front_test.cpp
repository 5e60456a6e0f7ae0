// The Qt window as the runtime builds it from the program's description:
// geometry, captions, font, visibility, pictures, menus, keys and event
// routing. The photo viewer and the dialogs have tests of their own.
#include "runtime/qt/qt_front.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <set>
#include <thread>

#include "runtime/qt/picture_box.h"
#include "runtime/qt/program_icon.h"
#include "tests/runtime/qt/qt_window_fixture.h"

namespace korvex {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

using pixaroo::unit_id::kButton1;
using pixaroo::unit_id::kButton2;
using pixaroo::unit_id::kButton3;

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
