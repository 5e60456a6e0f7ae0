// Peak memory of showing one big photo: a 64-megapixel PNG (8192 × 8192,
// one colour, about 200 KB) converted to BMP as a page load does, the BMP
// handed on as the picture box's bytes, and scaled to the 150 × 230 box as
// the view does. Target: the process's peak resident memory at most 400 MB.
//
// Reports `peak_MB` (the whole process's peak), `rise_MB` (the peak's rise
// over what the process held before the conversion) and `ratio`: the rise
// over the BMP's own size, the reference measured in the same run (1.0 is
// one full-size buffer; the target is one, plus the box). The one run is
// the process's first allocation of that size, so the peak it sees is its own.
#include <benchmark/benchmark.h>
#include <png.h>
#include <sys/resource.h>

#include <cstdint>
#include <vector>

#include "program/imaging/convert_image_format.h"
#include "platform/gdiplus/fit_scaler.h"

namespace {

constexpr std::uint32_t kSide = 8192;
constexpr std::uint32_t kBoxWidth = 150;
constexpr std::uint32_t kBoxHeight = 230;

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// The PNG written one row at a time, so making it costs no full-size buffer.
std::vector<std::uint8_t> OneColourPng(std::uint32_t side) {
  std::vector<std::uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &file, &Append, nullptr);
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  std::vector<std::uint8_t> row(std::size_t{side} * 3);
  for (std::size_t x = 0; x < side; ++x) {
    row[x * 3] = 0x20;
    row[x * 3 + 1] = 0x90;
    row[x * 3 + 2] = 0xE0;
  }
  for (std::uint32_t y = 0; y < side; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

void BM_BigPhotoPeakMemory(benchmark::State& state) {
  const std::vector<std::uint8_t> png = OneColourPng(kSide);
  const double before = PeakMegabytes();
  double bmpMegabytes = 0;
  bool shown = false;
  for (auto _ : state) {
    base::Bytes bmp;
    pixaroo::ConvertImageFormat(png, pixaroo::kFormatBmp, bmp);
    bmpMegabytes = static_cast<double>(bmp.size()) / (1024.0 * 1024.0);
    const gdiplus::FittedPicture box = gdiplus::ScaleToFit(bmp, kBoxWidth, kBoxHeight);
    shown = box.width == kBoxWidth && box.bgra.size() > 2 && box.bgra[2] == 0x20;
    benchmark::DoNotOptimize(box.bgra.data());
  }
  const double peak = PeakMegabytes();
  state.counters["png_KB"] = static_cast<double>(png.size()) / 1024.0;
  state.counters["peak_MB"] = peak;
  state.counters["rise_MB"] = peak - before;
  state.counters["ratio"] = bmpMegabytes > 0 ? (peak - before) / bmpMegabytes : 0;
  state.counters["shown"] = shown ? 1 : 0;
}
BENCHMARK(BM_BigPhotoPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
