// TIFF files in memory for libtiff's client interface: reading from a byte
// span, writing to a growing vector. libtiff's messages are swallowed per
// file (no global handler is touched), and its single allocations are
// capped. A TiffMemoryFile must outlive the TIFF opened on it.
// Any thread; one file per thread.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/pixels.h"

namespace gdiplus {

struct TiffMemoryFile {
  ByteSpan input;                               // reading
  std::vector<std::uint8_t>* output = nullptr;  // writing
  std::uint64_t position = 0;
};

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Null when the header is not a TIFF header or libtiff refuses it.
TiffHandle OpenTiffForReading(TiffMemoryFile* file);
// Null when libtiff cannot start a file.
TiffHandle OpenTiffForWriting(TiffMemoryFile* file);

}  // namespace gdiplus
