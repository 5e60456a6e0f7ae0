// Conversion to BMP against a decode-only reference, measured side by side
// in the same run. Each benchmark reports `ratio`: conversion time over the
// reference's time (targets: JPEG at most 1.15, PNG at most 1.25).
//
// BM_JpegDecodeAndCopy is the floor for the JPEG target: TurboJPEG decodes
// into a block laid out as the BMP file, and the block is copied into a fresh
// byte set, as the conversion must hand back its stream's bytes. Nothing
// else is done, so no conversion through a memory stream can beat its ratio.
#include <benchmark/benchmark.h>
#include <png.h>
#include <turbojpeg.h>

#include <chrono>
#include <csetjmp>
#include <cstring>
#include <memory>

#include "program/imaging/convert_image_format.h"
#include "platform/gdiplus/bmp_format.h"
#include "tests/platform/gdiplus/test_images.h"

namespace {

using Clock = std::chrono::steady_clock;
using imaging_test::Bytes;

constexpr std::uint32_t kWidth = 1200;
constexpr std::uint32_t kHeight = 1800;
constexpr int kJpegQuality = 90;

const imaging_test::Picture& Photo() {
  static const imaging_test::Picture p = imaging_test::MakePattern(kWidth, kHeight, false);
  return p;
}

// TurboJPEG decompress into a fresh buffer.
void DecodeJpegReference(const Bytes& jpeg) {
  tjhandle h = tjInitDecompress();
  int w = 0, hgt = 0, ss = 0, cs = 0;
  tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &w, &hgt, &ss, &cs);
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[std::size_t(w) * hgt * 3]);
  tjDecompress2(h, jpeg.data(), jpeg.size(), out.get(), w, 0, hgt, TJPF_BGR, 0);
  benchmark::DoNotOptimize(out.get());
  tjDestroy(h);
}

struct PngInput {
  const Bytes* data;
  std::size_t position;
};

void ReadPng(png_structp png, png_bytep out, png_size_t n) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (in->data->size() - in->position < n) png_error(png, "short");
  std::memcpy(out, in->data->data() + in->position, n);
  in->position += n;
}

// libpng read into a fresh buffer.
void DecodePngReference(const Bytes& file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  PngInput in{&file, 0};
  std::uint8_t* buffer = nullptr;
  png_bytep* rows = nullptr;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, &in, ReadPng);
    png_read_info(png, info);
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    const std::uint32_t h = png_get_image_height(png, info);
    buffer = new std::uint8_t[stride * h];
    rows = new png_bytep[h];
    for (std::uint32_t y = 0; y < h; ++y) rows[y] = buffer + y * stride;
    png_read_image(png, rows);
    benchmark::DoNotOptimize(buffer);
  }
  delete[] rows;
  delete[] buffer;
  png_destroy_read_struct(&png, &info, nullptr);
}

void ConvertToBmp(const Bytes& file, base::Bytes& converted) {
  pixaroo::ConvertImageFormat(file, pixaroo::kFormatBmp, converted);
}

// TurboJPEG decompress, bottom-up, into a fresh block with room for the BMP
// headers in front, then the whole block copied into `converted`.
void DecodeJpegAndCopy(const Bytes& jpeg, base::Bytes& converted) {
  constexpr std::size_t kHeaders = gdiplus::bmp::kFileHeaderSize + gdiplus::bmp::kInfoHeaderSize;
  tjhandle h = tjInitDecompress();
  int w = 0, hgt = 0, ss = 0, cs = 0;
  tjDecompressHeader3(h, jpeg.data(), jpeg.size(), &w, &hgt, &ss, &cs);
  const std::size_t size = kHeaders + std::size_t(w) * hgt * 3;
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]);
  std::memset(block.get(), 0, kHeaders);
  block[0] = 'B';
  block[1] = 'M';
  tjDecompress2(h, jpeg.data(), jpeg.size(), block.get() + kHeaders, w, 0, hgt, TJPF_BGR,
                TJFLAG_BOTTOMUP);
  tjDestroy(h);
  converted.assign(block.get(), block.get() + size);
}

// Times the reference and the conversion alternately; the conversion gets a
// fresh output byte set every time.
template <typename Reference, typename Convert>
void RunAgainstReference(benchmark::State& state, const Bytes& file, Reference reference,
                         Convert convert) {
  double referenceSeconds = 0, convertSeconds = 0;
  base::Bytes out;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    reference(file);
    const auto t1 = Clock::now();
    base::Bytes fresh;
    convert(file, fresh);
    const auto t2 = Clock::now();
    out.swap(fresh);
    const double r = std::chrono::duration<double>(t1 - t0).count();
    const double c = std::chrono::duration<double>(t2 - t1).count();
    referenceSeconds += r;
    convertSeconds += c;
    state.SetIterationTime(c);
  }
  if (out.size() < 2 || out[0] != 'B') state.SkipWithError("conversion failed");
  state.counters["ratio"] = convertSeconds / referenceSeconds;
  state.counters["reference_ms"] =
      1000 * referenceSeconds / static_cast<double>(state.iterations());
}

void BM_JpegToBmp(benchmark::State& state) {
  static const Bytes jpeg = imaging_test::MakeJpeg(Photo(), kJpegQuality, TJSAMP_420);
  RunAgainstReference(state, jpeg, DecodeJpegReference, ConvertToBmp);
}
BENCHMARK(BM_JpegToBmp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_JpegDecodeAndCopy(benchmark::State& state) {
  static const Bytes jpeg = imaging_test::MakeJpeg(Photo(), kJpegQuality, TJSAMP_420);
  RunAgainstReference(state, jpeg, DecodeJpegReference, DecodeJpegAndCopy);
}
BENCHMARK(BM_JpegDecodeAndCopy)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PngToBmp(benchmark::State& state) {
  static const Bytes png = imaging_test::MakePngOf(Photo());
  RunAgainstReference(state, png, DecodePngReference, ConvertToBmp);
}
BENCHMARK(BM_PngToBmp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
