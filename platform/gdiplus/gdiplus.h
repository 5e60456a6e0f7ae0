// GDI+-shaped flat image API, on Linux: decode an image file from a stream,
// encode it into another stream with one of five built-in encoders.
//
// Decoders: JPEG (libjpeg-turbo), PNG (libpng), GIF (giflib, first frame),
// BMP (our own), TIFF (libtiff, first page). Encoders, chosen by class
// identifier: BMP, JPEG (quality 75), GIF (256 colours, dithered), TIFF
// (LZW), PNG. Pictures larger than kMaxImageSide on a side or of more than
// kMaxImagePixels are refused before anything is allocated for them.
//
// Ownership: GdipCreateBitmapFromStream keeps what it needs (the stream may
// be released at once). From a stream over a memory block that the stream
// frees itself it keeps the stream and reads the file in place, the stream
// refusing writes until the bitmap goes; from any other stream it copies
// the file. The bitmap belongs to the caller until GdipDisposeImage. An encoder writes at the stream's position; when
// it fails it puts the stream's size and position back, so nothing it wrote
// past the old end remains.
//
// Threads: every function may be called from any thread. Start-up is counted
// for the whole process: the other functions work while at least one
// start-up has not been shut down. One bitmap must not be used by two
// threads at once.
#pragma once

#include "platform/gdiplus/types.h"

namespace gdiplus {

struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

struct EncoderParameter {
  GUID Guid;
  ULONG NumberOfValues;
  ULONG Type;
  void* Value;
};
struct EncoderParameters {
  UINT32 Count;
  EncoderParameter Parameter[1];
};

class GpImage;  // a decoded (or decodable) picture
using GpBitmap = GpImage;

// Version must be 1. A start-up output record is not supported (pass null).
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                      GdiplusStartupOutput* output);
// Ends the start-up that handed out `token`; unknown tokens are ignored.
void GdiplusShutdown(ULONG_PTR token);

// Reads the whole stream from its start and recognises the image in it.
// Fails (and sets *bitmap to null) for an unknown or damaged header, or a
// picture beyond the limits.
Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
// Encodes the picture with the encoder `clsidEncoder` names. Encoder
// parameters are not supported: `params` must be null or hold none.
Status GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                             const EncoderParameters* params);
Status GdipDisposeImage(GpImage* image);

}  // namespace gdiplus
