// Maps the fonts a window description names (Windows face names, GBK) onto
// installed fonts. GUI thread only.
#pragma once

#include <QFont>

#include "runtime/form/form.h"

namespace korvex {

// Registers substitutes for the Windows CJK face names ("宋体" and its
// English name to an installed Song/Ming-style font; the UI default to a
// sans CJK font). Call once after the application object exists.
void InstallFontSubstitutes();

// The Qt font for a stored LOGFONTA: the face name (mapped), a negative
// height as the character height in pixels, the weight.
QFont FontFromLogFont(const form::LogFontA& logFont);

}  // namespace korvex
