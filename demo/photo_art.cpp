#include "demo/photo_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace pixaroo::demo {

namespace {

struct Rgb {
  double r, g, b;
};

// 5 x 7 glyphs, one row per entry, bit 4 = leftmost column.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
using Glyph = std::array<std::uint8_t, kGlyphHeight>;
constexpr std::array<Glyph, 10> kDigitGlyphs = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
}};
constexpr Glyph kLetterP = {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10};

// The big number spans at most this share of the photo's width and height.
constexpr double kNumberWidthShare = 0.7;
constexpr double kNumberHeightShare = 0.3;
// Cell size of the small page label, and its margin from the corner.
constexpr int kLabelCell = 6;
constexpr int kLabelMargin = 18;
// Hue steps between consecutive photos, and the hue drift top to bottom.
constexpr int kHueStep = 47;
constexpr double kHueDrift = 50.0;

Rgb FromHsv(double hue, double sat, double val) {
  hue = std::fmod(hue, 360.0) / 60.0;
  const double c = val * sat;
  const double x = c * (1.0 - std::fabs(std::fmod(hue, 2.0) - 1.0));
  const double m = val - c;
  Rgb out{m, m, m};
  switch (static_cast<int>(hue)) {
    case 0:
      out.r += c;
      out.g += x;
      break;
    case 1:
      out.r += x;
      out.g += c;
      break;
    case 2:
      out.g += c;
      out.b += x;
      break;
    case 3:
      out.g += x;
      out.b += c;
      break;
    case 4:
      out.r += x;
      out.b += c;
      break;
    default:
      out.r += c;
      out.b += x;
      break;
  }
  return out;
}

std::uint8_t Channel(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

void Put(Raster& raster, int x, int y, Rgb c) {
  std::uint8_t* p = raster.At(x, y);
  p[0] = Channel(c.r);
  p[1] = Channel(c.g);
  p[2] = Channel(c.b);
}

void FillRect(Raster& raster, int x0, int y0, int w, int h, Rgb c) {
  const int x1 = std::min(raster.width, x0 + w);
  const int y1 = std::min(raster.height, y0 + h);
  for (int y = std::max(0, y0); y < y1; ++y) {
    for (int x = std::max(0, x0); x < x1; ++x) Put(raster, x, y, c);
  }
}

void DrawGlyph(Raster& raster, const Glyph& glyph, int x0, int y0, int cell, Rgb c) {
  for (int row = 0; row < kGlyphHeight; ++row) {
    for (int col = 0; col < kGlyphWidth; ++col) {
      if (glyph[static_cast<std::size_t>(row)] & (0x10 >> col)) {
        FillRect(raster, x0 + col * cell, y0 + row * cell, cell, cell, c);
      }
    }
  }
}

// Glyphs one cell apart; returns the width drawn.
int DrawText(Raster& raster, const std::vector<const Glyph*>& glyphs, int x0, int y0, int cell,
             Rgb c) {
  int x = x0;
  for (const Glyph* glyph : glyphs) {
    DrawGlyph(raster, *glyph, x, y0, cell, c);
    x += (kGlyphWidth + 1) * cell;
  }
  return x - x0;
}

std::vector<const Glyph*> DigitGlyphs(int value) {
  std::vector<const Glyph*> glyphs;
  for (char ch : std::to_string(value)) {
    glyphs.push_back(&kDigitGlyphs[static_cast<std::size_t>(ch - '0')]);
  }
  return glyphs;
}

void DrawBigNumber(Raster& raster, int number) {
  const std::vector<const Glyph*> glyphs = DigitGlyphs(number);
  const int columns = static_cast<int>(glyphs.size()) * (kGlyphWidth + 1) - 1;
  const int byWidth = static_cast<int>(raster.width * kNumberWidthShare) / columns;
  const int byHeight = static_cast<int>(raster.height * kNumberHeightShare) / kGlyphHeight;
  const int cell = std::max(1, std::min(byWidth, byHeight));
  const int x0 = (raster.width - columns * cell) / 2;
  const int y0 = (raster.height - kGlyphHeight * cell) / 2;
  const int shadow = std::max(1, cell / 5);
  DrawText(raster, glyphs, x0 + shadow, y0 + shadow, cell, {0.1, 0.1, 0.15});
  DrawText(raster, glyphs, x0, y0, cell, {1.0, 1.0, 0.97});
}

}  // namespace

Raster PaintPhoto(int width, int height, int number, int listPage) {
  Raster raster;
  raster.width = std::clamp(width, 1, kMaxPaintedSide);
  raster.height = std::clamp(height, 1, kMaxPaintedSide);
  raster.rgb.resize(static_cast<std::size_t>(raster.width) * raster.height * 3);
  const double hue = static_cast<double>(number % 360 * kHueStep % 360);
  const Rgb top = FromHsv(hue, 0.45, 0.98);
  const Rgb bottom = FromHsv(hue + kHueDrift, 0.85, 0.42);
  const double diagonal = static_cast<double>(raster.width + raster.height);
  for (int y = 0; y < raster.height; ++y) {
    const double t = raster.height > 1 ? static_cast<double>(y) / (raster.height - 1) : 0.0;
    for (int x = 0; x < raster.width; ++x) {
      // A soft light from the upper left corner.
      const double light = 1.12 - 0.25 * (x + y) / diagonal;
      Put(raster, x, y,
          {(top.r + (bottom.r - top.r) * t) * light, (top.g + (bottom.g - top.g) * t) * light,
           (top.b + (bottom.b - top.b) * t) * light});
    }
  }
  DrawBigNumber(raster, number);
  std::vector<const Glyph*> label = {&kLetterP};
  for (const Glyph* g : DigitGlyphs(listPage)) label.push_back(g);
  DrawText(raster, label, kLabelMargin, kLabelMargin, kLabelCell, {1.0, 1.0, 1.0});
  return raster;
}

Raster PaintStatusBadge() {
  Raster raster;
  raster.width = kStatusBadgeWidth;
  raster.height = kStatusBadgeHeight;
  raster.rgb.resize(static_cast<std::size_t>(raster.width) * raster.height * 3);
  const double cx = 11.0;
  const double cy = raster.height / 2.0;
  const double radius = 7.0;
  for (int y = 0; y < raster.height; ++y) {
    const double t = static_cast<double>(y) / (raster.height - 1);
    for (int x = 0; x < raster.width; ++x) {
      const bool edge = x == 0 || y == 0 || x == raster.width - 1 || y == raster.height - 1;
      Rgb c = edge ? Rgb{0.35, 0.55, 0.8} : Rgb{0.97 - 0.1 * t, 0.98 - 0.08 * t, 1.0 - 0.03 * t};
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) {
        // The online light, brighter towards its upper left.
        const double shine = 1.0 - 0.04 * (dx + dy + 2 * radius);
        c = {0.15 * shine, 0.75 * shine + 0.15, 0.2 * shine};
      }
      Put(raster, x, y, c);
    }
  }
  // Two bars where a button would carry its caption.
  FillRect(raster, 24, 6, 40, 3, {0.3, 0.38, 0.55});
  FillRect(raster, 24, 13, 28, 3, {0.5, 0.58, 0.72});
  return raster;
}

}  // namespace pixaroo::demo
