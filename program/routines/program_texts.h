// The program's constant texts, GBK bytes as the program uses them: page
// markers, status-bar texts, the index separator and file name, the usage
// notice. Each is written as escaped bytes with its text in a comment.
// These are what the builder stores in the image; routines read them from
// the image (ImageText), tests take them as the expected texts.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace pixaroo::texts {

using namespace std::string_view_literals;

// /nvshengzhenrenxiu/list_60_ (27 bytes): list page path before the page number
inline constexpr std::string_view kListPagePath = "/nvshengzhenrenxiu/list_60_"sv;
// .html (5 bytes)
inline constexpr std::string_view kListPageSuffix = ".html"sv;
// <a class="img" href=" (21 bytes)
inline constexpr std::string_view kListAreaStart = "<a class=\"img\" href=\""sv;
// <div class="pagination"><a>首页</a> (35 bytes)
inline constexpr std::string_view kListAreaEnd =
    "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a>"sv;
// href=" (6 bytes)
inline constexpr std::string_view kItemLinkLeft = "href=\""sv;
// " (1 bytes): right marker of item links and picture sources
inline constexpr std::string_view kQuote = "\""sv;
// .php (4 bytes)
inline constexpr std::string_view kExcludedLink = ".php"sv;
// <div style="text-align: center"> (32 bytes)
inline constexpr std::string_view kPictureAreaStart = "<div style=\"text-align: center\">"sv;
// \t\t\t\t\t\t</div> (12 bytes): six TABs, then </div>
inline constexpr std::string_view kPictureAreaEnd = "\t\t\t\t\t\t</div>"sv;
// src=" (5 bytes)
inline constexpr std::string_view kPictureSourceLeft = "src=\""sv;
// 正在更新···· (16 bytes)
inline constexpr std::string_view kStatusUpdating =
    "\xD5\xFD\xD4\xDA\xB8\xFC\xD0\xC2\xA1\xA4\xA1\xA4\xA1\xA4\xA1\xA4"sv;
// 正在更新----已更新 (18 bytes)
inline constexpr std::string_view kStatusProgressPrefix =
    "\xD5\xFD\xD4\xDA\xB8\xFC\xD0\xC2----\xD2\xD1\xB8\xFC\xD0\xC2"sv;
// 张。 (4 bytes)
inline constexpr std::string_view kStatusCountSuffix = "\xD5\xC5\xA1\xA3"sv;
// 更新完成,正在处理重复 (21 bytes)
inline constexpr std::string_view kStatusCollected =
    "\xB8\xFC\xD0\xC2\xCD\xEA\xB3\xC9,\xD5\xFD\xD4\xDA\xB4\xA6\xC0\xED\xD6\xD8\xB8\xB4"sv;
// 更新已完成----共更新了 (22 bytes)
inline constexpr std::string_view kStatusDonePrefix =
    "\xB8\xFC\xD0\xC2\xD2\xD1\xCD\xEA\xB3\xC9----\xB9\xB2\xB8\xFC\xD0\xC2\xC1\xCB"sv;
// 无法连接到网站  (15 bytes): the final status text of a run that read no
// list page, before siteBase
inline constexpr std::string_view kStatusUnreachablePrefix =
    "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xB5\xBD\xCD\xF8\xD5\xBE "sv;
// ，更新未完成。请检查网络后再点击更新。 (38 bytes): after siteBase
inline constexpr std::string_view kStatusUnreachableSuffix =
    "\xA3\xAC\xB8\xFC\xD0\xC2\xCE\xB4\xCD\xEA\xB3\xC9\xA1\xA3\xC7\xEB\xBC\xEC\xB2\xE9\xCD\xF8\xC2\xE7\xBA\xF3\xD4\xD9\xB5\xE3\xBB\xF7\xB8\xFC\xD0\xC2\xA1\xA3"sv;
// #分割符# (8 bytes)
inline constexpr std::string_view kIndexSeparator = "#\xB7\xD6\xB8\xEE\xB7\xFB#"sv;
// confi.ini (9 bytes)
inline constexpr std::string_view kIndexFileName = "confi.ini"sv;
// \r\n (2 bytes)
inline constexpr std::string_view kLineEnd = "\r\n"sv;
// 温馨提示 (8 bytes)
inline constexpr std::string_view kNoticeTitle = "\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE"sv;
// 使用方法：首次打开本软件可打开 更新按钮 进行更新Pixaroo
// 如有更新过的朋友想在更新也可以点击更新按钮，保存图片方法： 右键到图片焦点可保存图片到桌面 (145
// bytes)
inline constexpr std::string_view kUsageNotice =
    "\xCA\xB9\xD3\xC3\xB7\xBD\xB7\xA8\xA3\xBA\xCA\xD7\xB4\xCE\xB4\xF2\xBF\xAA\xB1\xBE\xC8\xED\xBC\xFE\xBF\xC9\xB4\xF2\xBF\xAA \xB8\xFC\xD0\xC2\xB0\xB4\xC5\xA5 \xBD\xF8\xD0\xD0\xB8\xFC\xD0\xC2Pixaroo \xC8\xE7\xD3\xD0\xB8\xFC\xD0\xC2\xB9\xFD\xB5\xC4\xC5\xF3\xD3\xD1\xCF\xEB\xD4\xDA\xB8\xFC\xD0\xC2\xD2\xB2\xBF\xC9\xD2\xD4\xB5\xE3\xBB\xF7\xB8\xFC\xD0\xC2\xB0\xB4\xC5\xA5\xA3\xAC\xB1\xA3\xB4\xE6\xCD\xBC\xC6\xAC\xB7\xBD\xB7\xA8\xA3\xBA \xD3\xD2\xBC\xFC\xB5\xBD\xCD\xBC\xC6\xAC\xBD\xB9\xB5\xE3\xBF\xC9\xB1\xA3\xB4\xE6\xCD\xBC\xC6\xAC\xB5\xBD\xD7\xC0\xC3\xE6"sv;
// 保存图片 (8 bytes): title of the message a failed save shows
inline constexpr std::string_view kSaveTitle = "\xB1\xA3\xB4\xE6\xCD\xBC\xC6\xAC"sv;
// 图片没有保存： (14 bytes): a failed save's message, before the reason
inline constexpr std::string_view kNotSavedPrefix =
    "\xCD\xBC\xC6\xAC\xC3\xBB\xD3\xD0\xB1\xA3\xB4\xE6\xA3\xBA"sv;
// 该文件夹不能写入。 (18 bytes)
inline constexpr std::string_view kNotSavedFolder =
    "\xB8\xC3\xCE\xC4\xBC\xFE\xBC\xD0\xB2\xBB\xC4\xDC\xD0\xB4\xC8\xEB\xA1\xA3"sv;
// 磁盘已满。 (10 bytes)
inline constexpr std::string_view kNotSavedDiskFull = "\xB4\xC5\xC5\xCC\xD2\xD1\xC2\xFA\xA1\xA3"sv;
// 写入文件时出错。 (16 bytes): any other reason
inline constexpr std::string_view kNotSavedOther =
    "\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE\xCA\xB1\xB3\xF6\xB4\xED\xA1\xA3"sv;
// 这里没有图片可以保存。 (22 bytes): 保存图片 on a box that shows no picture
inline constexpr std::string_view kNothingToSave =
    "\xD5\xE2\xC0\xEF\xC3\xBB\xD3\xD0\xCD\xBC\xC6\xAC\xBF\xC9\xD2\xD4\xB1\xA3\xB4\xE6\xA1\xA3"sv;
// 图片 (4 bytes): the name suggested for a photo whose address names no file
inline constexpr std::string_view kUnnamedPhoto = "\xCD\xBC\xC6\xAC"sv;
// .bmp (4 bytes): the saved file's extension
inline constexpr std::string_view kBmpExtension = ".bmp"sv;
// 保存索引 (8 bytes): title of the message an index that could not be saved shows
inline constexpr std::string_view kIndexSaveTitle = "\xB1\xA3\xB4\xE6\xCB\xF7\xD2\xFD"sv;
// 索引文件没有保存： (18 bytes): that message, before the reason
inline constexpr std::string_view kIndexNotSavedPrefix =
    "\xCB\xF7\xD2\xFD\xCE\xC4\xBC\xFE\xC3\xBB\xD3\xD0\xB1\xA3\xB4\xE6\xA3\xBA"sv;
// C:\Program Files\Internet Explorer\IEXPLORE.EXE (47 bytes)
inline constexpr std::string_view kBrowserProgram =
    "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"sv;

// Every text above, once, in the order of the image's text operands: the
// builder stores each in `const` and lists its place; a routine reads a
// text by its Id (ImageText, program/routines/program_memory.h), so the image decides
// what the program shows and writes.
// clang-format off
#define PIXAROO_PROGRAM_TEXTS(X) \
  X(ListPagePath)                \
  X(ListPageSuffix)              \
  X(ListAreaStart)               \
  X(ListAreaEnd)                 \
  X(ItemLinkLeft)                \
  X(Quote)                       \
  X(ExcludedLink)                \
  X(PictureAreaStart)            \
  X(PictureAreaEnd)              \
  X(PictureSourceLeft)           \
  X(StatusUpdating)              \
  X(StatusProgressPrefix)        \
  X(StatusCountSuffix)           \
  X(StatusCollected)             \
  X(StatusDonePrefix)            \
  X(StatusUnreachablePrefix)     \
  X(StatusUnreachableSuffix)     \
  X(IndexSeparator)              \
  X(IndexFileName)               \
  X(LineEnd)                     \
  X(NoticeTitle)                 \
  X(UsageNotice)                 \
  X(SaveTitle)                   \
  X(NotSavedPrefix)              \
  X(NotSavedFolder)              \
  X(NotSavedDiskFull)            \
  X(NotSavedOther)               \
  X(NothingToSave)               \
  X(UnnamedPhoto)                \
  X(BmpExtension)                \
  X(IndexSaveTitle)              \
  X(IndexNotSavedPrefix)         \
  X(BrowserProgram)
// clang-format on

enum class Id : std::size_t {
#define PIXAROO_TEXT_ID(name) name,
  PIXAROO_PROGRAM_TEXTS(PIXAROO_TEXT_ID)
#undef PIXAROO_TEXT_ID
};

inline constexpr std::array kAll = {
#define PIXAROO_TEXT_VALUE(name) k##name,
    PIXAROO_PROGRAM_TEXTS(PIXAROO_TEXT_VALUE)
#undef PIXAROO_TEXT_VALUE
};

}  // namespace pixaroo::texts
