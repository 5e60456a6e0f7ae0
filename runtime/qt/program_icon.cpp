#include "runtime/qt/program_icon.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace korvex {
namespace {

// The sizes the build draws.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

}  // namespace

QIcon ProgramIcon(const QString& executable) {
  const QFileInfo exe(executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable);
  const QString name = exe.fileName();
  const QString folder = exe.absolutePath();
  for (const QString& root : {folder + "/icons", folder + "/../share/icons"}) {
    QIcon icon;
    for (const int size : kIconSizes) {
      const QString file = QString("%1/hicolor/%2x%2/apps/%3.png").arg(root).arg(size).arg(name);
      if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
    }
    if (!icon.isNull()) return icon;
  }
  return QIcon::fromTheme(name);
}

}  // namespace korvex
