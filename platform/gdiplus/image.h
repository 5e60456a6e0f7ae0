// The picture behind a GpImage handle: a copy of the source file, the
// decoder that recognised it and the size its header gives. Pixels are
// decoded when first needed, either into the image's own top-down B G R A
// buffer, or, before that buffer exists, straight into an encoder's rows.
//
// The image owns its source bytes and pixels, and its lease on the pixel
// budget while it has pixels or an encoder makes them. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/decoders.h"
#include "platform/gdiplus/pixel_budget.h"
#include "platform/gdiplus/pixels.h"

namespace gdiplus {

class GpImage {
 public:
  // Null when no decoder recognises `source` or its header is refused.
  static std::unique_ptr<GpImage> Create(std::vector<std::uint8_t> source);

  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;

  const ImageInfo& info() const { return info_; }

  // Writes every pixel into `target`; false when the data proves damaged.
  bool DecodeInto(const PixelTarget& target);
  // Top-down B G R A pixels (width × 4 bytes a row), decoded on first use;
  // null when decoding fails.
  const std::uint8_t* Pixels();
  // Takes the picture's lease on the pixel budget (pixel_budget.h), waiting
  // for it if need be, before anything full-size is made for the picture;
  // held until the image goes. Decoding takes it on its own; an encoder
  // that makes a full-size file first takes it before that. Idempotent.
  void HoldPixels();

 private:
  GpImage(std::vector<std::uint8_t> source, const Decoder* decoder, const ImageInfo& info);

  PixelLease lease_;  // declared first: given back once the pixels are gone
  std::vector<std::uint8_t> source_;
  const Decoder* decoder_;
  ImageInfo info_;
  std::vector<std::uint8_t> pixels_;  // empty until decoded
  bool failed_ = false;
};

}  // namespace gdiplus
