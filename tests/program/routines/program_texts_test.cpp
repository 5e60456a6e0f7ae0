// The program's constant texts are the exact GBK bytes of their texts.
#include "program/routines/program_texts.h"

#include <gtest/gtest.h>

#include "base/charset.h"

namespace pixaroo::texts {
namespace {

TEST(ProgramTexts, GbkBytesAndLengths) {
  struct Case {
    std::string_view gbk;
    const char* utf8;
    std::size_t bytes;
  };
  const Case cases[] = {
      {kIndexSeparator, "#分割符#", 8},
      {kListAreaStart, "<a class=\"img\" href=\"", 21},
      {kListAreaEnd, "<div class=\"pagination\"><a>首页</a>", 35},
      {kPictureAreaStart, "<div style=\"text-align: center\">", 32},
      {kPictureAreaEnd, "\t\t\t\t\t\t</div>", 12},
      {kItemLinkLeft, "href=\"", 6},
      {kPictureSourceLeft, "src=\"", 5},
      {kStatusUpdating, "正在更新····", 16},
      {kStatusProgressPrefix, "正在更新----已更新", 18},
      {kStatusCountSuffix, "张。", 4},
      {kStatusCollected, "更新完成,正在处理重复", 21},
      {kStatusDonePrefix, "更新已完成----共更新了", 22},
      {kStatusUnreachablePrefix, "无法连接到网站 ", 15},
      {kStatusUnreachableSuffix, "，更新未完成。请检查网络后再点击更新。", 38},
      {kNoticeTitle, "温馨提示", 8},
      {kIndexFileName, "confi.ini", 9},
      {kSaveTitle, "保存图片", 8},
      {kNotSavedPrefix, "图片没有保存：", 14},
      {kNotSavedFolder, "该文件夹不能写入。", 18},
      {kNotSavedDiskFull, "磁盘已满。", 10},
      {kNotSavedOther, "写入文件时出错。", 16},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.gbk.size(), c.bytes) << c.utf8;
    EXPECT_EQ(base::GbkToUtf8(c.gbk), c.utf8);
  }
  // The middle dots are U+00B7, GBK A1 A4 each.
  EXPECT_EQ(kStatusUpdating.substr(8), "\xA1\xA4\xA1\xA4\xA1\xA4\xA1\xA4");
  EXPECT_EQ(base::GbkToUtf8(kUsageNotice),
            "使用方法：首次打开本软件可打开 更新按钮 进行更新Pixaroo "
            "如有更新过的朋友想在更新也可以点击更新按钮，保存图片方法： "
            "右键到图片焦点可保存图片到桌面");
}

}  // namespace
}  // namespace pixaroo::texts
