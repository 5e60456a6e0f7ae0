// Qt's own dialogs as the window opens them: a message box and the save
// dialog, in Chinese, on the desktop, asking before a file is replaced.
#include "runtime/qt/qt_front.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>

#include "tests/runtime/qt/qt_window_fixture.h"
#include "tests/support/scoped_env.h"

namespace korvex {
namespace {

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

}  // namespace
}  // namespace korvex
