#include "platform/gdiplus/png_session.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/gdiplus/types.h"

namespace gdiplus {
namespace {

// Most ancillary chunks a picture may carry (bounded time and memory).
constexpr png_uint_32 kMaxCachedChunks = 128;
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  bool ranOut = false;  // libpng asked for more than there is
};

struct SinkOutput {
  PngSink sink;
  void* context;
  bool refused = false;
};

// Why libpng jumped: read through the I/O pointer, which lives in memory
// the jump does not touch.
PictureError ReadFailure(png_structp png, PictureError otherwise) {
  return static_cast<const MemoryInput*>(png_get_io_ptr(png))->ranOut ? PictureError::kTruncated
                                                                      : otherwise;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (in->size - in->position < length) {
    in->ranOut = true;
    png_error(png, "truncated");
  }
  std::memcpy(out, in->data + in->position, length);
  in->position += length;
}

void WriteToSink(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<SinkOutput*>(png_get_io_ptr(png));
  if (!out->sink(out->context, data, length)) {
    out->refused = true;
    png_error(png, "write failed");
  }
}

void Flush(png_structp) {}

// Owns a read struct and its info struct.
class ReadStruct {
 public:
  ReadStruct() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~ReadStruct() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
  ReadStruct(const ReadStruct&) = delete;
  ReadStruct& operator=(const ReadStruct&) = delete;
  bool ok() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

class WriteStruct {
 public:
  WriteStruct() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~WriteStruct() { png_destroy_write_struct(&png_, info_ ? &info_ : nullptr); }
  WriteStruct(const WriteStruct&) = delete;
  WriteStruct& operator=(const WriteStruct&) = delete;
  bool ok() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Limits and input; no jump can happen here.
void PrepareRead(png_structp png, MemoryInput* in) {
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_cache_max(png, kMaxCachedChunks);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_read_fn(png, in, ReadFromMemory);
}

// Transformations to 8-bit B G R (A); called after png_read_info.
void SetTransforms(png_structp png, png_infop info, int bytesPerPixel) {
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (trns && bytesPerPixel == 4) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || (trns && bytesPerPixel == 4);
  if (bytesPerPixel == 4 && !alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  if (bytesPerPixel == 3 && (colorType & PNG_COLOR_MASK_ALPHA) != 0) png_set_strip_alpha(png);
  png_set_interlace_handling(png);
}

}  // namespace

PictureOr<PngHeader> PngReadHeader(ByteSpan data) {
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) return PictureError::kUnknownFormat;
  ReadStruct rs;
  if (!rs.ok()) return PictureError::kOutOfMemory;
  MemoryInput in{data.data(), data.size(), 0};
  PrepareRead(rs.png(), &in);
  if (setjmp(png_jmpbuf(rs.png()))) return ReadFailure(rs.png(), PictureError::kDamagedHeader);
  png_read_info(rs.png(), rs.info());
  PngHeader header;
  header.width = png_get_image_width(rs.png(), rs.info());
  header.height = png_get_image_height(rs.png(), rs.info());
  header.bitDepth = png_get_bit_depth(rs.png(), rs.info());
  header.colorType = png_get_color_type(rs.png(), rs.info());
  header.hasTransparency = png_get_valid(rs.png(), rs.info(), PNG_INFO_tRNS) != 0;
  return header;
}

PictureResult PngReadImage(ByteSpan data, int bytesPerPixel, std::uint8_t* const* rows,
                           std::uint32_t width, std::uint32_t height) {
  ReadStruct rs;
  if (!rs.ok()) return PictureError::kOutOfMemory;
  MemoryInput in{data.data(), data.size(), 0};
  PrepareRead(rs.png(), &in);
  if (setjmp(png_jmpbuf(rs.png()))) return ReadFailure(rs.png(), PictureError::kDamagedData);
  png_read_info(rs.png(), rs.info());
  if (png_get_image_width(rs.png(), rs.info()) != width ||
      png_get_image_height(rs.png(), rs.info()) != height) {
    return PictureError::kDamagedHeader;
  }
  SetTransforms(rs.png(), rs.info(), bytesPerPixel);
  png_read_update_info(rs.png(), rs.info());
  const std::size_t expected = std::size_t{width} * static_cast<std::size_t>(bytesPerPixel);
  if (png_get_rowbytes(rs.png(), rs.info()) != expected) return PictureError::kUnsupportedKind;
  png_read_image(rs.png(), const_cast<png_bytepp>(rows));
  return base::Done{};
}

PictureResult PngWriteImage(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height,
                            bool withAlpha, PngSink sink, void* context) {
  WriteStruct ws;
  if (!ws.ok()) return PictureError::kOutOfMemory;
  SinkOutput out{sink, context};
  png_set_write_fn(ws.png(), &out, WriteToSink, Flush);
  if (setjmp(png_jmpbuf(ws.png()))) {
    return static_cast<const SinkOutput*>(png_get_io_ptr(ws.png()))->refused
               ? PictureError::kWriteFailed
               : PictureError::kEncodeFailed;
  }
  png_set_IHDR(ws.png(), ws.info(), width, height, 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(ws.png(), ws.info());
  png_set_bgr(ws.png());
  if (!withAlpha) png_set_filler(ws.png(), 0, PNG_FILLER_AFTER);
  for (std::uint32_t y = 0; y < height; ++y) {
    png_write_row(ws.png(), bgra + std::size_t{y} * width * 4);
  }
  png_write_end(ws.png(), nullptr);
  return base::Done{};
}

}  // namespace gdiplus
