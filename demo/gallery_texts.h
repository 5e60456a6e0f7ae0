// Fixed Chinese texts of the demo gallery's pages, as GBK bytes (the site
// serves GBK throughout). Each constant carries its text in a comment.
// Constants only; any thread.
#pragma once

#include <array>
#include <string_view>

namespace pixaroo::demo::texts {

using namespace std::string_view_literals;

// 美图画廊
inline constexpr std::string_view kSiteName = "\xC3\xC0\xCD\xBC\xBB\xAD\xC0\xC8"sv;
// 女生真人秀
inline constexpr std::string_view kCategory = "\xC5\xAE\xC9\xFA\xD5\xE6\xC8\xCB\xD0\xE3"sv;
// 首页
inline constexpr std::string_view kHome = "\xCA\xD7\xD2\xB3"sv;
// 上一页
inline constexpr std::string_view kPrevPage = "\xC9\xCF\xD2\xBB\xD2\xB3"sv;
// 下一页
inline constexpr std::string_view kNextPage = "\xCF\xC2\xD2\xBB\xD2\xB3"sv;
// 末页
inline constexpr std::string_view kLastPage = "\xC4\xA9\xD2\xB3"sv;
// 第
inline constexpr std::string_view kPageWordBefore = "\xB5\xDA"sv;
// 页
inline constexpr std::string_view kPageWordAfter = "\xD2\xB3"sv;
// 共
inline constexpr std::string_view kTotalBefore = "\xB9\xB2"sv;
// 当前位置：
inline constexpr std::string_view kHere = "\xB5\xB1\xC7\xB0\xCE\xBB\xD6\xC3\xA3\xBA"sv;
// 清新写真
inline constexpr std::string_view kNavFresh = "\xC7\xE5\xD0\xC2\xD0\xB4\xD5\xE6"sv;
// 街拍美女
inline constexpr std::string_view kNavStreet = "\xBD\xD6\xC5\xC4\xC3\xC0\xC5\xAE"sv;
// 风景摄影
inline constexpr std::string_view kNavScenery = "\xB7\xE7\xBE\xB0\xC9\xE3\xD3\xB0"sv;
// 女生真人秀,美女写真,真人秀图片
inline constexpr std::string_view kKeywords =
    "\xC5\xAE\xC9\xFA\xD5\xE6\xC8\xCB\xD0\xE3\x2C\xC3\xC0\xC5\xAE\xD0\xB4\xD5\xE6\x2C\xD5\xE6\xC8\xCB\xD0\xE3\xCD\xBC\xC6\xAC"sv;
// 美图画廊收集网友分享的女生真人秀写真图片，每日更新。
inline constexpr std::string_view kDescription =
    "\xC3\xC0\xCD\xBC\xBB\xAD\xC0\xC8\xCA\xD5\xBC\xAF\xCD\xF8\xD3\xD1\xB7\xD6\xCF\xED\xB5\xC4\xC5\xAE\xC9\xFA\xD5\xE6\xC8\xCB\xD0\xE3\xD0\xB4\xD5\xE6\xCD\xBC\xC6\xAC\xA3\xAC\xC3\xBF\xC8\xD5\xB8\xFC\xD0\xC2\xA1\xA3"sv;
// 日期：
inline constexpr std::string_view kDate = "\xC8\xD5\xC6\xDA\xA3\xBA"sv;
// 点击：
inline constexpr std::string_view kClicks = "\xB5\xE3\xBB\xF7\xA3\xBA"sv;
// 热门推荐：投稿须知
inline constexpr std::string_view kRecommended =
    "\xC8\xC8\xC3\xC5\xCD\xC6\xBC\xF6\xA3\xBA\xCD\xB6\xB8\xE5\xD0\xEB\xD6\xAA"sv;
// 本站图片均来自网友分享，仅供欣赏。
inline constexpr std::string_view kFooter =
    "\xB1\xBE\xD5\xBE\xCD\xBC\xC6\xAC\xBE\xF9\xC0\xB4\xD7\xD4\xCD\xF8\xD3\xD1\xB7\xD6\xCF\xED\xA3\xAC\xBD\xF6\xB9\xA9\xD0\xC0\xC9\xCD\xA1\xA3"sv;
// 版权所有
inline constexpr std::string_view kCopyright = "\xB0\xE6\xC8\xA8\xCB\xF9\xD3\xD0"sv;
// 上一篇：
inline constexpr std::string_view kPrevArticle = "\xC9\xCF\xD2\xBB\xC6\xAA\xA3\xBA"sv;
// 下一篇：
inline constexpr std::string_view kNextArticle = "\xCF\xC2\xD2\xBB\xC6\xAA\xA3\xBA"sv;
// 没有了
inline constexpr std::string_view kNone = "\xC3\xBB\xD3\xD0\xC1\xCB"sv;
// 返回列表
inline constexpr std::string_view kBackToList = "\xB7\xB5\xBB\xD8\xC1\xD0\xB1\xED"sv;
// 来源：
inline constexpr std::string_view kSource = "\xC0\xB4\xD4\xB4\xA3\xBA"sv;
// 本站原创
inline constexpr std::string_view kOriginal = "\xB1\xBE\xD5\xBE\xD4\xAD\xB4\xB4"sv;
// 发布时间：
inline constexpr std::string_view kPublished = "\xB7\xA2\xB2\xBC\xCA\xB1\xBC\xE4\xA3\xBA"sv;
// 浏览次数：
inline constexpr std::string_view kViews = "\xE4\xAF\xC0\xC0\xB4\xCE\xCA\xFD\xA3\xBA"sv;
// 女孩
inline constexpr std::string_view kGirl = "\xC5\xAE\xBA\xA2"sv;
// 您访问的页面不存在
inline constexpr std::string_view kNotFound =
    "\xC4\xFA\xB7\xC3\xCE\xCA\xB5\xC4\xD2\xB3\xC3\xE6\xB2\xBB\xB4\xE6\xD4\xDA"sv;
// Title words: an adjective, 女孩, a scene.
inline constexpr std::array<std::string_view, 6> kTitleAdjectives = {
    "\xC7\xE5\xB4\xBF"sv,  // 清纯
    "\xCC\xF0\xC3\xC0"sv,  // 甜美
    "\xD1\xF4\xB9\xE2"sv,  // 阳光
    "\xCE\xC4\xD2\xD5"sv,  // 文艺
    "\xC9\xAD\xCF\xB5"sv,  // 森系
    "\xB8\xB4\xB9\xC5"sv,  // 复古
};
inline constexpr std::array<std::string_view, 7> kTitleScenes = {
    "\xBA\xA3\xB1\xDF\xD0\xB4\xD5\xE6"sv,          // 海边写真
    "\xD0\xA3\xD4\xB0\xD0\xB4\xD5\xE6"sv,          // 校园写真
    "\xBD\xD6\xC5\xC4\xD0\xB4\xD5\xE6"sv,          // 街拍写真
    "\xD3\xA3\xBB\xA8\xD0\xB4\xD5\xE6"sv,          // 樱花写真
    "\xBF\xA7\xB7\xC8\xB9\xDD\xD0\xB4\xD5\xE6"sv,  // 咖啡馆写真
    "\xD3\xEA\xCC\xEC\xD0\xB4\xD5\xE6"sv,          // 雨天写真
    "\xC7\xEF\xC8\xD5\xD0\xB4\xD5\xE6"sv,          // 秋日写真
};

}  // namespace pixaroo::demo::texts
