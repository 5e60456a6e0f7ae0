#include "runtime/qt/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace korvex {
namespace {

constexpr const char* kTranslatorName = "qtChinese";

}  // namespace

bool InstallChineseTranslations() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  if (app->findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly) != nullptr) {
    return true;
  }
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  auto* translator = new QTranslator(app);  // the application owns it
  translator->setObjectName(kTranslatorName);
  if (!translator->load(chinese, "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace korvex
