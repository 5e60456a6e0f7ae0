#include "platform/gdiplus/quantizer.h"

#include <algorithm>
#include <unordered_map>

namespace gdiplus {
namespace {

constexpr std::size_t kMaxColors = 256;
constexpr std::uint8_t kOpaqueThreshold = 128;
constexpr int kHistogramBits = 5;
constexpr int kHistogramSide = 1 << kHistogramBits;
constexpr int kCacheBits = 6;

using Rgb = std::array<std::uint8_t, 3>;

std::uint32_t Key(const std::uint8_t* p) {
  return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

bool Transparent(const std::uint8_t* p, bool withAlpha) {
  return withAlpha && p[3] < kOpaqueThreshold;
}

// The picture's colours when there are at most `limit` of them.
bool CollectExact(const std::uint8_t* bgra, std::size_t count, bool withAlpha, std::size_t limit,
                  std::unordered_map<std::uint32_t, std::uint8_t>* map,
                  std::vector<Rgb>* palette) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bgra + i * 4;
    if (Transparent(p, withAlpha)) continue;
    const auto [it, added] = map->try_emplace(Key(p), static_cast<std::uint8_t>(palette->size()));
    if (!added) continue;
    if (palette->size() == limit) return false;
    palette->push_back({p[2], p[1], p[0]});
  }
  return true;
}

struct Bin {
  std::uint64_t count = 0, r = 0, g = 0, b = 0;
};
using Histogram = std::vector<Bin>;

int BinIndex(int r, int g, int b) { return (r * kHistogramSide + g) * kHistogramSide + b; }

struct Box {
  int lo[3], hi[3];  // inclusive, in histogram units
  std::uint64_t count = 0;
};

// Tightens the box around its non-empty bins and counts its pixels.
void Shrink(const Histogram& h, Box* box) {
  int lo[3] = {kHistogramSide, kHistogramSide, kHistogramSide}, hi[3] = {-1, -1, -1};
  box->count = 0;
  for (int r = box->lo[0]; r <= box->hi[0]; ++r)
    for (int g = box->lo[1]; g <= box->hi[1]; ++g)
      for (int b = box->lo[2]; b <= box->hi[2]; ++b) {
        const std::uint64_t c = h[BinIndex(r, g, b)].count;
        if (c == 0) continue;
        box->count += c;
        const int v[3] = {r, g, b};
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
      }
  if (box->count == 0) return;
  for (int k = 0; k < 3; ++k) box->lo[k] = lo[k], box->hi[k] = hi[k];
}

// Pixels of the box in the slab where axis `k` equals `v`.
std::uint64_t SlabCount(const Histogram& h, const Box& box, int k, int v) {
  Box slab = box;
  slab.lo[k] = slab.hi[k] = v;
  std::uint64_t n = 0;
  for (int r = slab.lo[0]; r <= slab.hi[0]; ++r)
    for (int g = slab.lo[1]; g <= slab.hi[1]; ++g)
      for (int b = slab.lo[2]; b <= slab.hi[2]; ++b) n += h[BinIndex(r, g, b)].count;
  return n;
}

// Splits along the longest side at the pixel median; false when it cannot.
bool Split(const Histogram& h, Box* box, Box* other) {
  int k = 0;
  for (int j = 1; j < 3; ++j) {
    if (box->hi[j] - box->lo[j] > box->hi[k] - box->lo[k]) k = j;
  }
  if (box->hi[k] == box->lo[k]) return false;
  std::uint64_t seen = 0;
  int cut = box->lo[k];
  for (; cut < box->hi[k] - 1; ++cut) {
    seen += SlabCount(h, *box, k, cut);
    if (seen * 2 >= box->count) break;
  }
  *other = *box;
  box->hi[k] = cut;
  other->lo[k] = cut + 1;
  Shrink(h, box);
  Shrink(h, other);
  return true;
}

std::vector<Rgb> MedianCut(const std::uint8_t* bgra, std::size_t count, bool withAlpha,
                           std::size_t limit) {
  Histogram h(std::size_t{1} << (3 * kHistogramBits));
  constexpr int shift = 8 - kHistogramBits;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bgra + i * 4;
    if (Transparent(p, withAlpha)) continue;
    Bin& bin = h[BinIndex(p[2] >> shift, p[1] >> shift, p[0] >> shift)];
    ++bin.count, bin.r += p[2], bin.g += p[1], bin.b += p[0];
  }
  std::vector<Box> boxes(1, Box{{0, 0, 0}, {kHistogramSide - 1, kHistogramSide - 1, kHistogramSide - 1}});
  Shrink(h, &boxes[0]);
  while (boxes.size() < limit) {
    // The most populous box that still spans more than one bin.
    std::size_t best = boxes.size();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      const bool splittable = b.lo[0] < b.hi[0] || b.lo[1] < b.hi[1] || b.lo[2] < b.hi[2];
      if (splittable && (best == boxes.size() || b.count > boxes[best].count)) best = i;
    }
    Box other;
    if (best == boxes.size() || !Split(h, &boxes[best], &other)) break;
    boxes.push_back(other);
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    Bin sum;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
          const Bin& bin = h[BinIndex(r, g, b)];
          sum.count += bin.count, sum.r += bin.r, sum.g += bin.g, sum.b += bin.b;
        }
    if (sum.count == 0) continue;
    palette.push_back({static_cast<std::uint8_t>(sum.r / sum.count),
                       static_cast<std::uint8_t>(sum.g / sum.count),
                       static_cast<std::uint8_t>(sum.b / sum.count)});
  }
  if (palette.empty()) palette.push_back({0, 0, 0});
  return palette;
}

class NearestColor {
 public:
  explicit NearestColor(const std::vector<Rgb>& palette)
      : palette_(palette), cache_(std::size_t{1} << (3 * kCacheBits), -1) {}

  std::uint8_t Find(int r, int g, int b) {
    constexpr int shift = 8 - kCacheBits;
    const std::size_t key = (std::size_t(r >> shift) << (2 * kCacheBits)) |
                            (std::size_t(g >> shift) << kCacheBits) | std::size_t(b >> shift);
    if (cache_[key] < 0) cache_[key] = Search(r, g, b);
    return static_cast<std::uint8_t>(cache_[key]);
  }

 private:
  std::int16_t Search(int r, int g, int b) const {
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      const int dr = r - palette_[i][0], dg = g - palette_[i][1], db = b - palette_[i][2];
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
    }
    return static_cast<std::int16_t>(best);
  }

  const std::vector<Rgb>& palette_;
  std::vector<std::int16_t> cache_;
};

void Dither(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height, bool withAlpha,
            IndexedImage* out) {
  NearestColor nearest(out->palette);
  // Errors for this row and the next, one pixel of margin on each side.
  std::vector<std::array<int, 3>> thisRow(width + 2), nextRow(width + 2);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::fill(nextRow.begin(), nextRow.end(), std::array<int, 3>{0, 0, 0});
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t i = std::size_t{y} * width + x;
      const std::uint8_t* p = bgra + i * 4;
      if (Transparent(p, withAlpha)) {
        out->indices[i] = static_cast<std::uint8_t>(out->transparentIndex);
        continue;
      }
      int c[3];
      for (int k = 0; k < 3; ++k) c[k] = std::clamp(p[2 - k] + thisRow[x + 1][k] / 16, 0, 255);
      const std::uint8_t index = nearest.Find(c[0], c[1], c[2]);
      out->indices[i] = index;
      for (int k = 0; k < 3; ++k) {
        const int e = c[k] - out->palette[index][k];
        thisRow[x + 2][k] += e * 7;
        nextRow[x][k] += e * 3;
        nextRow[x + 1][k] += e * 5;
        nextRow[x + 2][k] += e;
      }
    }
    std::swap(thisRow, nextRow);
  }
}

}  // namespace

IndexedImage Quantize(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height,
                      bool withAlpha) {
  const std::size_t count = std::size_t{width} * height;
  IndexedImage out;
  out.indices.resize(count);
  bool anyTransparent = false;
  for (std::size_t i = 0; i < count && withAlpha && !anyTransparent; ++i) {
    anyTransparent = Transparent(bgra + i * 4, withAlpha);
  }
  const std::size_t limit = anyTransparent ? kMaxColors - 1 : kMaxColors;
  std::unordered_map<std::uint32_t, std::uint8_t> exact;
  const bool isExact = CollectExact(bgra, count, withAlpha, limit, &exact, &out.palette);
  if (!isExact) out.palette = MedianCut(bgra, count, withAlpha, limit);
  if (out.palette.empty()) out.palette.push_back({0, 0, 0});
  if (anyTransparent) {
    out.transparentIndex = static_cast<int>(out.palette.size());
    out.palette.push_back({0, 0, 0});
  }
  if (!isExact) {
    Dither(bgra, width, height, withAlpha, &out);
    return out;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bgra + i * 4;
    out.indices[i] = Transparent(p, withAlpha) ? static_cast<std::uint8_t>(out.transparentIndex)
                                               : exact[Key(p)];
  }
  return out;
}

}  // namespace gdiplus
