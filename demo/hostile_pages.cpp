#include "demo/hostile_pages.h"

#include <png.h>

#include <csetjmp>

namespace pixaroo::demo {
namespace {

constexpr const char* kHead =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />"
    "</head><body>\r\n";
// <div class="pagination"><a>首页</a>
constexpr const char* kListEnd = "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a></div>\r\n";
constexpr const char* kPictureStart = "<div style=\"text-align: center\">\r\n";
constexpr const char* kPictureEnd = "\t\t\t\t\t\t</div>\r\n";
constexpr const char* kTail = "</body></html>\r\n";

std::string Link(const std::string& href) {
  return "<li><a class=\"img\" href=\"" + href + "\">x</a></li>\r\n";
}

std::string Source(const std::string& src) { return "<p><img src=\"" + src + "\" /></p>\r\n"; }

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data),
                                                         length);
}

void FlushPng(png_structp) {}

// libpng reports errors by longjmp back here; only C frames lie between.
bool WriteRows(png_structp png, png_infop info, std::uint32_t width, std::uint32_t height,
               png_bytep row, std::string* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendPng, FlushPng);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, row);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::string HostileListPage(const std::vector<std::string>& links, std::size_t padTo) {
  std::string page = kHead;
  page += "<ul>\r\n";
  for (const std::string& l : links) page += Link(l);
  for (std::size_t n = 0; page.size() < padTo; ++n) {
    page += Link("/nvshengzhenrenxiu/" + std::to_string(900000 + n % 100000) + ".html");
  }
  page += "</ul>\r\n";
  page += kListEnd;
  page += kTail;
  return page;
}

std::string HostileItemPage(const std::vector<std::string>& sources, std::size_t padTo) {
  std::string page = kHead;
  page += kPictureStart;
  for (const std::string& s : sources) page += Source(s);
  for (std::size_t n = 0; page.size() < padTo; ++n) page += Source("/p/" + std::to_string(n) + ".png");
  page += kPictureEnd;
  page += kTail;
  return page;
}

std::string OneColourPng(std::uint32_t width, std::uint32_t height, std::uint8_t r,
                         std::uint8_t g, std::uint8_t b) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<std::uint8_t> row(std::size_t{width} * 3);
  for (std::size_t x = 0; x < width; ++x) {
    row[x * 3] = r;
    row[x * 3 + 1] = g;
    row[x * 3 + 2] = b;
  }
  std::string file;
  const bool ok = info != nullptr && WriteRows(png, info, width, height, row.data(), &file);
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return ok ? file : std::string();
}

}  // namespace pixaroo::demo
