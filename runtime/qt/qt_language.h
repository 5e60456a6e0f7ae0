// Qt's own words (the buttons and questions of its dialogs and message
// boxes) in Chinese, whatever the user's locale, like every other word of
// the window. GUI thread only.
#pragma once

namespace korvex {

// Installs Qt's Simplified Chinese translations into the application once
// (later calls do nothing) and makes Chinese (China) the default locale.
// False when the translations are not installed on this machine; the
// dialogs then speak English.
bool InstallChineseTranslations();

}  // namespace korvex
