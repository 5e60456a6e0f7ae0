#include "platform/gdiplus/tiff_memory.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>

#include "platform/gdiplus/types.h"

namespace gdiplus {
namespace {

// Largest single allocation libtiff may make for one picture.
constexpr tmsize_t kMaxTiffAllocation = static_cast<tmsize_t>(kMaxImagePixelBytes);
// Largest TIFF file we write.
constexpr std::uint64_t kMaxTiffOutput = std::uint64_t{1} << 30;

TiffMemoryFile* FileOf(thandle_t h) { return static_cast<TiffMemoryFile*>(h); }

std::uint64_t SizeOf(const TiffMemoryFile& f) {
  return f.output != nullptr ? f.output->size() : f.input.size();
}

tmsize_t Read(thandle_t h, void* buffer, tmsize_t size) {
  TiffMemoryFile& f = *FileOf(h);
  const std::uint8_t* data = f.output != nullptr ? f.output->data() : f.input.data();
  const std::uint64_t total = SizeOf(f);
  if (size <= 0 || f.position >= total) return 0;
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), total - f.position);
  std::memcpy(buffer, data + f.position, n);
  f.position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t h, void* buffer, tmsize_t size) {
  TiffMemoryFile& f = *FileOf(h);
  if (f.output == nullptr || size < 0) return -1;
  const std::uint64_t end = f.position + static_cast<std::uint64_t>(size);
  if (end > kMaxTiffOutput) return -1;
  if (end > f.output->size()) {
    // No exception may cross libtiff's C frames.
    try {
      f.output->resize(end);
    } catch (const std::bad_alloc&) {
      return -1;
    }
  }
  if (size > 0) std::memcpy(f.output->data() + f.position, buffer, static_cast<std::size_t>(size));
  f.position = end;
  return size;
}

toff_t Seek(thandle_t h, toff_t offset, int whence) {
  TiffMemoryFile& f = *FileOf(h);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = f.position;
  if (whence == SEEK_END) base = SizeOf(f);
  const std::uint64_t target = base + offset;
  if (target < base || target > kMaxTiffOutput) return static_cast<toff_t>(-1);
  f.position = target;
  return target;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return SizeOf(*FileOf(h)); }

int MapInput(thandle_t h, void** base, toff_t* size) {
  TiffMemoryFile& f = *FileOf(h);
  if (f.output != nullptr) return 0;
  *base = const_cast<std::uint8_t*>(f.input.data());
  *size = f.input.size();
  return 1;
}
void Unmap(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsFreer {
  void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

TiffHandle Open(TiffMemoryFile* file, const char* mode) {
  std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxTiffAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
  return TiffHandle(TIFFClientOpenExt("memory", mode, file, Read, Write, Seek, Close, Size,
                                      MapInput, Unmap, options.get()));
}

}  // namespace

TiffHandle OpenTiffForReading(TiffMemoryFile* file) {
  const ByteSpan d = file->input;
  const bool intel = d.size() >= 4 && d[0] == 'I' && d[1] == 'I';
  const bool motorola = d.size() >= 4 && d[0] == 'M' && d[1] == 'M';
  if (!intel && !motorola) return nullptr;
  return Open(file, "r");
}

TiffHandle OpenTiffForWriting(TiffMemoryFile* file) { return Open(file, "w"); }

}  // namespace gdiplus
