// The picture behind a GpImage handle: the source file, the decoder that
// recognised it and the size its header gives. The file is read in place
// from a stream that frees its own block (frozen meanwhile, see
// ole32::FreezeStreamBytes); any other stream's is copied. Pixels are
// decoded when first needed, either into the image's own top-down B G R A
// buffer, or, before that buffer exists, straight into an encoder's rows.
//
// The image owns its hold on the source bytes, its pixels and its lease on the pixel
// budget while it has pixels or an encoder makes them. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdiplus/decoders.h"
#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/pixel_budget.h"
#include "platform/gdiplus/pixels.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpImage {
 public:
  // The picture in `source`, or why not: no decoder recognises it or its
  // header is refused.
  static PictureOr<std::unique_ptr<GpImage>> Create(std::vector<std::uint8_t> source);
  // The same for the whole of `stream` from its start (kUnreadableSource
  // when it cannot be read whole or holds more than kMaxSourceBytes).
  static PictureOr<std::unique_ptr<GpImage>> FromStream(IStream* stream);

  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;

  const ImageInfo& info() const { return info_; }
  // The file the picture is decoded from.
  ByteSpan source() const { return source_; }

  // Writes every pixel into `target`, or says why the data cannot give them.
  // A picture that failed once fails the same way again.
  PictureResult DecodeInto(const PixelTarget& target);
  // Top-down B G R A pixels (width × 4 bytes a row), decoded on first use,
  // or why decoding failed.
  PictureOr<const std::uint8_t*> Pixels();
  // Takes the picture's lease on the pixel budget (pixel_budget.h), waiting
  // for it if need be, before anything full-size is made for the picture;
  // held until the image goes. Decoding takes it on its own; an encoder
  // that makes a full-size file first takes it before that. Idempotent.
  void HoldPixels();

 private:
  GpImage(std::shared_ptr<const void> holder, ByteSpan source, const Decoder* decoder,
          const ImageInfo& info);
  // The picture in `source`, kept readable by `holder`.
  static PictureOr<std::unique_ptr<GpImage>> Over(std::shared_ptr<const void> holder,
                                                  ByteSpan source);

  PixelLease lease_;                    // declared first: given back once the pixels are gone
  std::shared_ptr<const void> holder_;  // keeps source_ readable and unchanged
  ByteSpan source_;
  const Decoder* decoder_;
  ImageInfo info_;
  std::vector<std::uint8_t> pixels_;    // empty until decoded
  std::optional<PictureError> failed_;  // why decoding failed, once it has
};

}  // namespace gdiplus
