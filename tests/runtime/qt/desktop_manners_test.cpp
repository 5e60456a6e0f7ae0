// The window's manners on a desktop: what a screen reader hears, the
// keyboard's way to a photo's menu, where the viewer and the notice open,
// and the desktop's end signals taken as a close request.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>
#include <tuple>

#include "program/pages/main_window_form.h"
#include "program/routines/unit_ids.h"
#include "runtime/core/unit_model.h"
#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "runtime/qt/photo_viewer.h"
#include "runtime/qt/picture_box.h"
#include "runtime/qt/placement.h"
#include "runtime/qt/qt_front.h"

namespace korvex {
namespace {

namespace id = pixaroo::unit_id;
using Event = std::tuple<std::uint32_t, std::int32_t, std::int32_t, std::int32_t>;

struct Heard final : FrontEvents {
  std::vector<Event> events;
  int closing = 0;
  void OnUnitEvent(std::uint32_t unit, std::int32_t event, std::int32_t a, std::int32_t b,
                   std::int32_t) override {
    events.emplace_back(unit, event, a, b);
  }
  void OnWindowClosing() override { ++closing; }
};

bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 5000 && !done(); ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return done();
}

base::Bytes SmallBmp() {
  QImage image(30, 20, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return base::Bytes(bytes.begin(), bytes.end());
}

class Manners : public ::testing::Test {
 protected:
  void SetUp() override {
    auto parsed = form::ReadForm(form::WriteForm(pixaroo::MainWindowForm()));
    ASSERT_TRUE(parsed.ok());
    form_ = *parsed;
    std::vector<UnitModel::UnitInfo> infos;
    for (const auto& u : form_.units) infos.push_back({u.id, u.typeId});
    model_ = std::make_unique<UnitModel>(infos);
    Open();
  }
  void Open() {
    front_.reset();
    heard_ = Heard();
    front_ = std::make_unique<QtFront>();
    front_->CreateWindow(form_, *model_, heard_);
  }
  void TearDown() override { front_.reset(); }

  QString Said(std::uint32_t unit, QAccessible::Text what = QAccessible::Name) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(front_->UnitWidget(unit));
    return face != nullptr ? face->text(what) : QString("(no interface)");
  }

  form::Form form_;
  std::unique_ptr<UnitModel> model_;
  Heard heard_;
  std::unique_ptr<QtFront> front_;
};

TEST_F(Manners, BoxesSayWhichPhotoTheyShowAndTheBarAndBadgeHaveNames) {
  ViewerSource source;
  source.positionOf = [](std::uint32_t box) {
    for (int k = 0; k < 6; ++k) {
      if (pixaroo::kPictureBoxIds[k] == box) return 10 + k;
    }
    return -1;
  };
  int total = 120;
  source.count = [&total] { return total; };
  source.request = [](int, std::function<void(base::Bytes)>) {};
  front_->BindViewer(source);
  model_->WriteProperty(id::kPictureBox2, kPropPicture, SmallBmp());
  model_->WriteProperty(id::kQqSupport1, kPropPicture, SmallBmp());
  front_->Refresh();
  EXPECT_EQ(Said(id::kPictureBox2), QString::fromUtf8("照片 第 12 张，共 120 张"));
  EXPECT_EQ(Said(id::kPictureBox3), QString::fromUtf8("图片框3：没有照片"));
  // The index grows: the total follows.
  total = 125;
  model_->ListAdd(id::kListBox1, "/p/x.jpg");
  front_->Refresh();
  EXPECT_EQ(Said(id::kPictureBox2), QString::fromUtf8("照片 第 12 张，共 125 张"));
  EXPECT_EQ(Said(id::kQqSupport1), QString::fromUtf8("qq客服"));
  model_->SetStatusText(id::kStatusBar1, 0, "\xB8\xFC\xD0\xC2");  // 更新
  front_->Refresh();
  EXPECT_EQ(Said(id::kStatusBar1), QString::fromUtf8("状态栏"));
  EXPECT_EQ(Said(id::kStatusBar1, QAccessible::Description), QString::fromUtf8("更新"));
}

TEST_F(Manners, MenuKeyAndShiftF10OpenTheFocusedBoxsMenu) {
  QWidget* box = front_->UnitWidget(id::kPictureBox4);
  ASSERT_NE(box, nullptr);
  // The photos take the focus; the contact badge, which has no menu, not.
  for (const std::uint32_t photo : pixaroo::kPictureBoxIds) {
    EXPECT_EQ(front_->UnitWidget(photo)->focusPolicy(), Qt::StrongFocus);
  }
  EXPECT_EQ(front_->UnitWidget(id::kQqSupport1)->focusPolicy(), Qt::NoFocus);
  front_->Window()->activateWindow();
  box->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(PumpUntil([&] { return box->hasFocus(); }));
  QTest::keyClick(box, Qt::Key_Menu);
  QTest::keyClick(box, Qt::Key_F10, Qt::ShiftModifier);
  QTest::keyClick(box, Qt::Key_F10);  // F10 alone is no menu key
  // The box's right-click, at its centre.
  const Event atCentre{id::kPictureBox4, -4, 74, 114};
  EXPECT_EQ(heard_.events, (std::vector<Event>{atCentre, atCentre}));
}

TEST_F(Manners, ViewerAndNoticeOpenCentredOnTheWindowWithinTheScreen) {
  // As on a 1280 x 1024 screen with the window at its stored place: an
  // 800 x 600 viewer centred on it would start left of the screen.
  const QRect screen(0, 0, 1280, 1024);
  const QRect window(50, 50, 517, 637);
  EXPECT_EQ(CentredWithin(QSize(800, 600), window, screen), QPoint(0, 68));
  EXPECT_EQ(CentredWithin(QSize(300, 100), window, screen), QPoint(158, 318));
  EXPECT_EQ(CentredWithin(QSize(800, 600), QRect(1000, 800, 517, 637), screen), QPoint(480, 424));
  EXPECT_EQ(CentredWithin(QSize(2000, 600), window, screen).x(), 0);  // too wide: its left shows

  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect main = front_->Window()->frameGeometry();
  ViewerSource source;
  source.positionOf = [](std::uint32_t) { return 0; };
  source.count = [] { return 1; };
  source.request = [](int, std::function<void(base::Bytes)>) {};
  front_->BindViewer(source);
  PhotoViewer* viewer = front_->Viewer();
  viewer->Open(StoredPicture::Share(std::make_shared<const base::Bytes>(SmallBmp())), 0);
  // Centred up to the frame's margins, which are unknown until a window
  // first shows.
  constexpr int kFrameSlack = 3;
  const QRect shown = viewer->frameGeometry();
  EXPECT_TRUE(available.contains(shown)) << "viewer beyond the screen";
  const QPoint wanted = CentredWithin(shown.size(), main, available);
  EXPECT_LE((shown.topLeft() - wanted).manhattanLength(), kFrameSlack);
  viewer->close();

  QRect notice;
  QTimer::singleShot(0, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      notice = box->frameGeometry();
      box->close();
    }
  });
  front_->MessageBox("\xCE\xC2\xDC\xB0", 0, "\xCE\xC2\xDC\xB0");
  ASSERT_FALSE(notice.isEmpty());
  EXPECT_TRUE(available.contains(notice));
  EXPECT_LE(std::abs(notice.center().x() - main.center().x()), kFrameSlack);
  EXPECT_LE(std::abs(notice.center().y() - main.center().y()), kFrameSlack);
}

TEST_F(Manners, EndSignalsCloseTheWindowAsItsCloseButtonDoes) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    // Not ignored, whatever this test was started with (a shell's
    // background job starts with SIGINT ignored, and such is left ignored).
    ASSERT_NE(std::signal(signal, SIG_DFL), SIG_ERR);
    Open();  // each window takes one signal of each kind
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_TRUE(PumpUntil([&] { return heard_.closing == 1; })) << "signal " << signal;
    EXPECT_FALSE(front_->Window()->isVisible());
  }
}

TEST_F(Manners, SignalsIgnoredAtTheStartStayIgnored) {
  // As nohup, or a shell starting a background job, leaves them: the
  // program is meant to outlive its terminal, or its Ctrl+C.
  const auto handler = [](int signal) {
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler;
  };
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    front_.reset();
    ASSERT_NE(std::signal(signal, SIG_IGN), SIG_ERR);
    Open();
    EXPECT_EQ(handler(signal), SIG_IGN) << "signal " << signal;
    ASSERT_EQ(std::raise(signal), 0);
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(heard_.closing, 0) << "signal " << signal;
    EXPECT_TRUE(front_->Window()->isVisible()) << "signal " << signal;
    front_.reset();
    EXPECT_EQ(handler(signal), SIG_IGN) << "signal " << signal;
    std::signal(signal, SIG_DFL);
  }
  // Signals not ignored are still taken as a close request.
  Open();
  ASSERT_EQ(std::raise(SIGHUP), 0);
  EXPECT_TRUE(PumpUntil([&] { return heard_.closing == 1; }));
}

}  // namespace
}  // namespace korvex
