#include "runtime/qt/font_map.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <cstdlib>

#include "runtime/qt/gbk_qstring.h"

namespace korvex {
namespace {

// Installed fonts tried, in order, for Song-style faces and for the rest.
const QStringList kSongFonts = {"AR PL UMing CN", "AR PL UMing TW", "Noto Serif CJK SC",
                                "Noto Sans CJK SC"};
const QStringList kSansFonts = {"Noto Sans CJK SC", "AR PL UMing CN"};

}  // namespace

void InstallFontSubstitutes() {
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), kSongFonts);
  QFont::insertSubstitutions("SimSun", kSongFonts);
  QFont::insertSubstitutions("NSimSun", kSongFonts);
  QFont ui = QGuiApplication::font();
  ui.setFamilies(kSansFonts);
  ui.setPixelSize(12);
  QGuiApplication::setFont(ui);
}

QFont FontFromLogFont(const form::LogFontA& logFont) {
  QFont font;
  const QString face = FromGbk(logFont.FaceName());
  QStringList families{face};
  families += kSongFonts;
  font.setFamilies(families);
  if (logFont.height != 0) font.setPixelSize(std::abs(logFont.height));
  if (logFont.weight > 0) font.setWeight(static_cast<QFont::Weight>(logFont.weight));
  font.setItalic(logFont.italic != 0);
  font.setUnderline(logFont.underline != 0);
  font.setStrikeOut(logFont.strikeOut != 0);
  return font;
}

}  // namespace korvex
