// The common dialog as a save-file dialog, set up from the dialog unit's
// stored settings. GUI thread only.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <string>

#include "runtime/form/form.h"

class QWidget;

namespace korvex {

// "label|pattern|label|pattern" (GBK) as Qt name filters: each label shown
// as it is stored, the pattern only used for matching.
QStringList NameFilters(const std::string& filterGbk);

// Where a save dialog opens: the user's desktop folder (the XDG desktop
// directory) when it exists, else the home folder.
QString DesktopFolder();

// Sets `dialog` up from `settings` (none: no filter, no suffix) as a
// save-file dialog in Qt's own widgets (so it speaks the application's
// language): opening on the desktop, adding the stored extension to a name
// typed without one, and asking before a file is replaced.
void SetUpSaveDialog(QFileDialog& dialog, const form::DialogSettings* settings);

// Qt's file dialog whose chosen file is always the name in its name field.
// Qt's own takes the files selected in its list first, and it selects
// there, as the folder's listing arrives from its own thread, the files
// whose names begin with what was typed, taking them back only while the
// name field has focus: a name typed after a refused replacement could then
// be passed over for the file refused. Picking a file in the list still
// puts its name into the name field.
class SaveDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override;
};

}  // namespace korvex
