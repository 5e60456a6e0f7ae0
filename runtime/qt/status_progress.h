// The status bar's progress bar: a QProgressBar inside the status bar's
// label, at its right end, beside the texts. GUI thread only.
#pragma once

#include "runtime/core/unit_model.h"

class QLabel;

namespace korvex {

// Shows `progress` on `statusBar` (creating the bar the first time it is
// shown); a maximum of 0 hides it.
void ShowStatusProgress(QLabel* statusBar, const UnitModel::Progress& progress);

}  // namespace korvex
