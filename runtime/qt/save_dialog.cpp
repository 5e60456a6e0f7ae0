#include "runtime/qt/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QStandardPaths>

#include "base/text_ops.h"
#include "runtime/qt/gbk_qstring.h"

namespace korvex {

QStringList NameFilters(const std::string& filterGbk) {
  const base::TextArray parts = base::Split(filterGbk, "|");
  QStringList filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    // Qt takes the patterns from the trailing parentheses; the dialog hides
    // them, so the stored label, which often names the pattern itself, is
    // what the user reads.
    filters << FromGbk(parts[i]) + " (" + FromGbk(parts[i + 1]) + ")";
  }
  return filters;
}

QString DesktopFolder() {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && QDir(desktop).exists()) return desktop;
  return QDir::homePath();
}

void SetUpSaveDialog(QFileDialog& dialog, const form::DialogSettings* settings) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDirectory(DesktopFolder());
  if (settings == nullptr) return;
  dialog.setNameFilters(NameFilters(settings->filter));
  QString suffix = FromGbk(settings->defaultSuffix);
  if (suffix.startsWith("*.")) suffix = suffix.mid(2);
  dialog.setDefaultSuffix(suffix);
}

void SaveDialog::accept() {
  const auto* name = findChild<QLineEdit*>("fileNameEdit");
  const auto* list = findChild<QListView*>("listView");
  if (name != nullptr && !name->text().isEmpty() && list != nullptr &&
      list->selectionModel() != nullptr) {
    list->selectionModel()->clearSelection();
  }
  QFileDialog::accept();
}

}  // namespace korvex
