// A test fixture that holds one GDI+ start-up for the length of each test,
// and a picture file's BMP written through the API as the program's
// conversion writes it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/gdiplus/gdiplus.h"
#include "platform/ole32/ole32.h"

namespace gdiplus {

class GdiplusStarted : public ::testing::Test {
 protected:
  void SetUp() override {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
  }
  void TearDown() override { GdiplusShutdown(token_); }
  ULONG_PTR token_ = 0;
};

// `file` decoded from a stream over a memory block and saved as BMP into
// another; empty when either step fails. Needs a start-up.
inline std::vector<std::uint8_t> SaveAsBmp(const std::vector<std::uint8_t>& file) {
  const CLSID bmpEncoder{
      0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  IStream* in = nullptr;
  IStream* out = nullptr;
  ole32::CreateStreamOnHGlobal(nullptr, 1, &in);
  ole32::CreateStreamOnHGlobal(nullptr, 1, &out);
  in->Write(file.data(), static_cast<ole32::ULONG>(file.size()), nullptr);
  GpBitmap* bitmap = nullptr;
  std::vector<std::uint8_t> bmp;
  if (GdipCreateBitmapFromStream(in, &bitmap) == Ok &&
      GdipSaveImageToStream(bitmap, out, &bmpEncoder, nullptr) == Ok) {
    ole32::STATSTG stat;
    out->Stat(&stat, ole32::STATFLAG_NONAME);
    bmp.resize(static_cast<std::size_t>(stat.cbSize));
    out->Seek(0, ole32::STREAM_SEEK_SET, nullptr);
    out->Read(bmp.data(), static_cast<ole32::ULONG>(bmp.size()), nullptr);
  }
  GdipDisposeImage(bitmap);
  in->Release();
  out->Release();
  return bmp;
}

}  // namespace gdiplus
