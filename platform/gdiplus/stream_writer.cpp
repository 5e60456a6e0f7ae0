#include "platform/gdiplus/stream_writer.h"

namespace gdiplus {
namespace {

constexpr ole32::ULONG kMaxWriteChunk = 1u << 30;

}  // namespace

StreamWriter::StreamWriter(IStream* stream) : stream_(stream) {
  ole32::STATSTG stat;
  ok_ = ole32::SUCCEEDED(stream->Seek(0, ole32::STREAM_SEEK_CUR, &startPosition_)) &&
        ole32::SUCCEEDED(stream->Stat(&stat, ole32::STATFLAG_NONAME));
  startSize_ = stat.cbSize;
}

StreamWriter::~StreamWriter() {
  if (committed_ || !ok_) return;
  stream_->SetSize(startSize_);
  stream_->Seek(static_cast<ole32::LARGE_INTEGER>(startPosition_), ole32::STREAM_SEEK_SET, nullptr);
}

bool StreamWriter::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ole32::ULONG chunk = size > kMaxWriteChunk ? kMaxWriteChunk : static_cast<ole32::ULONG>(size);
    ole32::ULONG written = 0;
    if (ole32::FAILED(stream_->Write(p, chunk, &written)) || written != chunk) return false;
    p += chunk;
    size -= chunk;
  }
  return true;
}

std::uint8_t* StreamWriter::Reserve(std::size_t size) {
  ole32::ULARGE_INTEGER position = 0;
  ole32::STATSTG stat;
  kernel32::HGLOBAL block = nullptr;
  if (ole32::FAILED(stream_->Seek(0, ole32::STREAM_SEEK_CUR, &position)) ||
      ole32::FAILED(stream_->Stat(&stat, ole32::STATFLAG_NONAME)) ||
      ole32::FAILED(ole32::GetHGlobalFromStream(stream_, &block))) {
    return nullptr;
  }
  const ole32::ULARGE_INTEGER end = position + size;
  if (end > stat.cbSize && ole32::FAILED(stream_->SetSize(end))) return nullptr;
  if (ole32::FAILED(stream_->Seek(static_cast<ole32::LARGE_INTEGER>(end), ole32::STREAM_SEEK_SET,
                                  nullptr))) {
    return nullptr;
  }
  auto* base = static_cast<std::uint8_t*>(kernel32::GlobalLock(block));
  kernel32::GlobalUnlock(block);
  return base == nullptr ? nullptr : base + position;
}

}  // namespace gdiplus
