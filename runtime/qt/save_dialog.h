// The common dialog as a save-file dialog, set up from the dialog unit's
// stored settings. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "runtime/form/form.h"

class QFileDialog;
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

}  // namespace korvex
