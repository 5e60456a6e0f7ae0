// The table of encoders, one per class identifier, and the stream writer
// they share. An encoder writes at the stream's position; when it fails (or
// throws) the writer puts the stream's size and position back, so a failed
// save leaves no partial file behind. One thread at a time per stream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/gdiplus.h"
#include "platform/gdiplus/picture_error.h"

namespace gdiplus {

class StreamWriter {
 public:
  // False from ok() when the stream cannot report its position and size.
  explicit StreamWriter(IStream* stream);
  ~StreamWriter();
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

  bool ok() const { return ok_; }
  bool Write(const void* data, std::size_t size);
  // Makes the stream hold `size` bytes from the position, moves past them
  // and returns their address, or null. The caller must write all `size`
  // bytes (their contents are undefined); the address stays valid until the
  // stream is next resized.
  std::uint8_t* Reserve(std::size_t size);
  // Keeps what was written.
  void Commit() { committed_ = true; }

 private:
  IStream* stream_;
  ole32::ULARGE_INTEGER startPosition_ = 0;
  ole32::ULARGE_INTEGER startSize_ = 0;
  bool ok_ = false;
  bool committed_ = false;
};

class GpImage;
// Done once the file is written and committed, else the reason.
using EncodeFn = PictureResult (*)(GpImage& image, StreamWriter& out);

struct Encoder {
  CLSID clsid;
  const char* name;
  EncodeFn encode;
};

// The encoder for `clsid`, or null.
const Encoder* FindEncoder(const CLSID& clsid);

}  // namespace gdiplus
