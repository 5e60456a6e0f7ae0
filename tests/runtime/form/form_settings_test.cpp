// Typed views of the type-specific settings: exact layouts only, and
// encoding a view gives back the stored bytes.
#include <gtest/gtest.h>

#include <string>

#include "runtime/form/form.h"
#include "program/pages/main_window_form.h"

namespace {

using namespace korvex::form;

using namespace base;  // NOLINT(google-build-using-namespace)
using base::Bytes;

// Reads every typed view the unit's type has; true when one succeeded and
// re-encodes to the stored settings.
bool ViewRoundTrips(const Unit& u) {
  if (auto s = ReadWindowSettings(u)) return EncodeSettings(*s) == u.settings;
  if (auto s = ReadPictureBoxSettings(u)) return EncodeSettings(*s) == u.settings;
  if (auto s = ReadListBoxSettings(u)) return EncodeSettings(*s) == u.settings;
  if (auto s = ReadStatusBarSettings(u)) return EncodeSettings(*s) == u.settings;
  if (auto s = ReadButtonSettings(u)) return EncodeSettings(*s) == u.settings;
  if (auto s = ReadDialogSettings(u)) return EncodeSettings(*s) == u.settings;
  return false;
}

bool AnyViewReads(const Unit& u) {
  return ReadWindowSettings(u) || ReadPictureBoxSettings(u) || ReadListBoxSettings(u) ||
         ReadStatusBarSettings(u) || ReadButtonSettings(u) || ReadDialogSettings(u);
}

TEST(FormSettings, ViewsOfTheMainWindowReEncodeExactly) {
  const Form form = pixaroo::MainWindowForm();
  for (const Unit& u : form.units) {
    if (!u.settings.empty()) {
      EXPECT_TRUE(ViewRoundTrips(u)) << std::hex << u.id;
    }
  }
  // A view of another type never reads: a button's bytes are not a title.
  Unit button = *form.FindUnit(pixaroo::unit_id::kButton1);
  EXPECT_FALSE(ReadWindowSettings(button));
  EXPECT_FALSE(ReadDialogSettings(button));
  EXPECT_EQ(form.FindUnit(0x12345678), nullptr);
}

TEST(FormSettings, DamagedSettingsGiveNoView) {
  const Form form = pixaroo::MainWindowForm();
  for (const Unit& original : form.units) {
    if (original.settings.empty()) continue;
    SCOPED_TRACE(std::to_string(original.id));
    Unit u = original;
    // Cut short: only the list box and status bar end in free bytes, and
    // those views still need their fixed part.
    const std::size_t fixed = original.typeId == kTypeListBox     ? 9 * 4
                              : original.typeId == kTypeStatusBar ? 4 * 4 + 4 + 60 + 6 * 4
                                                                  : original.settings.size();
    for (std::size_t n = 0; n < fixed; ++n) {
      u.settings.assign(original.settings.begin(),
                        original.settings.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_FALSE(AnyViewReads(u)) << n;
    }
    if (fixed == original.settings.size()) {  // an extra byte is not part of the layout
      u.settings = original.settings;
      u.settings.push_back(0);
      EXPECT_FALSE(AnyViewReads(u));
    }
  }
}

TEST(FormSettings, TextLengthsAreChecked) {
  ButtonSettings b;
  b.caption = "\xB8\xFC\xD0\xC2";  // 更新
  Unit u;
  u.typeId = kTypeButton;
  u.settings = EncodeSettings(b);
  ASSERT_TRUE(ReadButtonSettings(u));
  u.settings[6 * 4] = 5;  // length one past the end
  EXPECT_FALSE(ReadButtonSettings(u));
  u.settings[6 * 4] = 0xFF;
  u.settings[6 * 4 + 3] = 0xFF;
  EXPECT_FALSE(ReadButtonSettings(u));
  u.settings = EncodeSettings(b);
  u.settings.back() = 0;  // a NUL inside a counted text
  EXPECT_FALSE(ReadButtonSettings(u));

  // The status bar's font must announce its own size.
  StatusBarSettings s;
  u.typeId = kTypeStatusBar;
  u.settings = EncodeSettings(s);
  ASSERT_TRUE(ReadStatusBarSettings(u));
  u.settings[16] = 59;
  EXPECT_FALSE(ReadStatusBarSettings(u));
}

TEST(FormSettings, FaceNameFitsItsFieldWithoutSplittingCharacters) {
  const std::string song = "\xCB\xCE";  // 宋
  LogFontA f;
  f.faceName.fill(0xAA);
  f.SetFaceName(song + "\xCC\xE5");
  EXPECT_EQ(f.FaceName(), song + "\xCC\xE5");
  EXPECT_EQ(f.faceName[4], 0);
  EXPECT_EQ(f.faceName[31], 0);  // the rest is cleared

  std::string even, odd = "a";
  for (int i = 0; i < 20; ++i) {
    even += song;
    odd += song;
  }
  f.SetFaceName(even);  // 31 bytes would end inside a character
  EXPECT_EQ(f.FaceName().size(), 30u);
  f.SetFaceName(odd);
  EXPECT_EQ(f.FaceName().size(), 31u);
  f.SetFaceName(std::string("ab\0cd", 5));
  EXPECT_EQ(f.FaceName(), "ab");
  f.faceName.fill('x');  // no NUL at all: the whole field
  EXPECT_EQ(f.FaceName().size(), 32u);
}

}  // namespace
