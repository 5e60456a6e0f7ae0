#include "runtime/qt/status_progress.h"

#include <QLabel>
#include <QProgressBar>

namespace korvex {
namespace {

constexpr const char* kBarName = "statusProgress";
// The bar's width, and its margin from the label's edges.
constexpr int kBarWidth = 120;
constexpr int kBarMargin = 3;

}  // namespace

void ShowStatusProgress(QLabel* statusBar, const UnitModel::Progress& progress) {
  auto* bar = statusBar->findChild<QProgressBar*>(kBarName, Qt::FindDirectChildrenOnly);
  if (progress.maximum <= 0) {
    if (bar != nullptr) bar->hide();
    return;
  }
  if (bar == nullptr) {
    bar = new QProgressBar(statusBar);
    bar->setObjectName(kBarName);
    bar->setTextVisible(false);
  }
  const int height = statusBar->height() - 2 * kBarMargin;
  bar->setGeometry(statusBar->width() - kBarWidth - kBarMargin, kBarMargin, kBarWidth,
                   height > 0 ? height : 1);
  bar->setRange(0, progress.maximum);
  bar->setValue(progress.value);
  bar->show();
}

}  // namespace korvex
