// The settings the window view relies on, read back from the written bytes.
// (read_form.py checks every unit field for field against form.bin.)
#include "program/pages/main_window_form.h"

#include <gtest/gtest.h>

#include "runtime/form/reader.h"
#include "runtime/form/writer.h"

namespace {

using namespace korvex::form;

using namespace base;  // NOLINT(google-build-using-namespace)

Form ReadBack() {
  FormResult r = ReadForm(WriteForm(pixaroo::MainWindowForm()));
  EXPECT_TRUE(r.ok()) << r.error().text;
  return r.ok() ? *r : Form{};
}

TEST(MainWindowForm, TypedSettings) {
  const Form form = ReadBack();
  ASSERT_EQ(form.units.size(), 19u);

  const auto window = ReadWindowSettings(form.units[0]);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->title, "Vexora-QQPixaroo");
  EXPECT_EQ(window->words[0], 6u);
  EXPECT_EQ(window->words[3], 0xFF000000u);
  EXPECT_EQ(window->words[14], 1u);

  const auto dialog = ReadDialogSettings(form.units[2]);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->filter, "\xCE\xBB\xCD\xBC\xA3\xA8*.bmp)|*.bmp");  // 位图（*.bmp)|*.bmp
  EXPECT_EQ(dialog->defaultSuffix, "*.bmp");
  EXPECT_EQ(dialog->secondText + dialog->fourthText + dialog->fifthText, "");

  const auto list = ReadListBoxSettings(form.units[5]);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->words[5], 0x00FF0000u);
  EXPECT_EQ(list->tail, base::Bytes(22, 0));

  for (std::size_t i = 7; i <= 12; ++i) {
    const auto pic = ReadPictureBoxSettings(form.units[i]);
    ASSERT_TRUE(pic) << i;
    EXPECT_EQ(pic->words, (std::array<std::uint32_t, 8>{2, 5, 0xFF000000, 0, 1, 0, 0, 0}));
  }

  const auto bar = ReadStatusBarSettings(form.units[13]);
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->font.height, -12);
  EXPECT_EQ(bar->font.weight, 400);
  EXPECT_EQ(bar->font.charSet, 134);
  EXPECT_EQ(bar->font.outPrecision, 3);
  EXPECT_EQ(bar->font.clipPrecision, 2);
  EXPECT_EQ(bar->font.quality, 1);
  EXPECT_EQ(bar->font.pitchAndFamily, 2);
  EXPECT_EQ(bar->font.FaceName(), "\xCB\xCE\xCC\xE5");  // 宋体
  EXPECT_EQ(bar->trail, (std::array<std::uint32_t, 6>{0, 18, 1, 636, 0, 0xFFFFFFFF}));

  const char* captions[] = {"\xCF\xC2\xD2\xBB\xD2\xB3", "\xC9\xCF\xD2\xBB\xD2\xB3",
                            "\xB8\xFC\xD0\xC2"};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto button = ReadButtonSettings(form.units[14 + i]);
    ASSERT_TRUE(button) << i;
    EXPECT_EQ(button->caption, captions[i]);  // 下一页, 上一页, 更新
  }
}

}  // namespace
