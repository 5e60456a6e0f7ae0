#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "platform/ole32/ole32.h"

namespace ole32 {
namespace {

// Smallest block a growing stream asks for.
constexpr ULARGE_INTEGER kMinGrowth = 4096;

// A stream whose bytes are the first size_ bytes of a global memory block.
// The block may be larger than the stream (grown ahead of the writes).
class HGlobalStream final : public IStream {
 public:
  HGlobalStream(HGLOBAL block, bool deleteOnRelease)
      : block_(block), deleteOnRelease_(deleteOnRelease), size_(kernel32::GlobalSize(block)) {}
  HGlobalStream(const HGlobalStream&) = delete;
  HGlobalStream& operator=(const HGlobalStream&) = delete;

  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

  ULONG Release() override {
    const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
    if (buffer == nullptr && bytes != 0) return STG_E_INVALIDPOINTER;
    const ULARGE_INTEGER available = position_ < size_ ? size_ - position_ : 0;
    const ULONG n = static_cast<ULONG>(std::min<ULARGE_INTEGER>(bytes, available));
    if (n != 0) {
      std::memcpy(buffer, static_cast<const unsigned char*>(Data()) + position_, n);
      position_ += n;
    }
    if (bytesRead != nullptr) *bytesRead = n;
    return S_OK;
  }

  HRESULT Write(const void* data, ULONG bytes, ULONG* bytesWritten) override {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    if (frozen_.load() > 0) return STG_E_ACCESSDENIED;
    if (bytes == 0) return S_OK;
    if (data == nullptr) return STG_E_INVALIDPOINTER;
    const ULARGE_INTEGER end = position_ + bytes;
    if (end > size_) {
      const HRESULT hr = Grow(end);
      if (FAILED(hr)) return hr;
    }
    std::memcpy(static_cast<unsigned char*>(Data()) + position_, data, bytes);
    position_ = end;
    if (bytesWritten != nullptr) *bytesWritten = bytes;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    LARGE_INTEGER base = 0;
    switch (origin) {
      case STREAM_SEEK_SET:
        base = 0;
        break;
      case STREAM_SEEK_CUR:
        base = static_cast<LARGE_INTEGER>(position_);
        break;
      case STREAM_SEEK_END:
        base = static_cast<LARGE_INTEGER>(size_);
        break;
      default:
        return STG_E_INVALIDFUNCTION;
    }
    if ((move < 0 && base < -move) ||
        (move > 0 && move > static_cast<LARGE_INTEGER>(kernel32::kMaxGlobalBlock))) {
      return STG_E_INVALIDFUNCTION;
    }
    position_ = static_cast<ULARGE_INTEGER>(base + move);
    if (newPosition != nullptr) *newPosition = position_;
    return S_OK;
  }

  // Growing leaves the added bytes undefined, as on the platform: callers
  // that grow a stream this way write every byte themselves.
  // The block takes the new size exactly: growing makes room, shrinking
  // gives the memory beyond the new end back.
  // Bytes added at the end read as zeros.
  HRESULT SetSize(ULARGE_INTEGER newSize) override {
    if (frozen_.load() > 0) return STG_E_ACCESSDENIED;
    if (newSize != kernel32::GlobalSize(block_) && !Resize(newSize) &&
        newSize > kernel32::GlobalSize(block_)) {
      return STG_E_MEDIUMFULL;
    }
    if (newSize > size_) {
      std::memset(static_cast<unsigned char*>(Data()) + size_, 0, newSize - size_);
    }
    size_ = newSize;
    return S_OK;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize = size_;
    return S_OK;
  }

  HGLOBAL Block() const { return block_; }

  // The stream's bytes, frozen until the holder goes; null when the block
  // is its caller's.
  std::shared_ptr<const FrozenBytes> Freeze() {
    if (!deleteOnRelease_) return nullptr;
    AddRef();
    frozen_.fetch_add(1);
    auto thaw = [this](const FrozenBytes* bytes) {
      delete bytes;
      frozen_.fetch_sub(1);
      Release();
    };
    const FrozenBytes* bytes = nullptr;
    try {
      bytes = new FrozenBytes{static_cast<const std::uint8_t*>(Data()),
                              static_cast<std::size_t>(size_)};
      return std::shared_ptr<const FrozenBytes>(bytes, thaw);
    } catch (const std::bad_alloc&) {
      if (bytes == nullptr) {
        frozen_.fetch_sub(1);
        Release();
      }
      return nullptr;
    }
  }

 private:
  ~HGlobalStream() {
    if (deleteOnRelease_) kernel32::GlobalFree(block_);
  }

  void* Data() const { return kernel32::GlobalSize(block_) == 0 ? nullptr : PeekAddress(); }

  // The block's address without changing its lock count.
  void* PeekAddress() const {
    void* p = kernel32::GlobalLock(block_);
    kernel32::GlobalUnlock(block_);
    return p;
  }

  bool Resize(ULARGE_INTEGER bytes) {
    if (bytes > kernel32::kMaxGlobalBlock) return false;
    return kernel32::GlobalReAlloc(block_, static_cast<kernel32::SIZE_T>(bytes),
                                   kernel32::GMEM_MOVEABLE) != nullptr;
  }

  // Grows the stream to `end` bytes for a write at the position, growing the
  // block ahead geometrically. A gap between the old end and the position
  // reads as zeros.
  HRESULT Grow(ULARGE_INTEGER end) {
    const ULARGE_INTEGER capacity = kernel32::GlobalSize(block_);
    if (end > capacity) {
      const ULARGE_INTEGER wanted = std::max({end, capacity * 2, kMinGrowth});
      if (!Resize(std::min<ULARGE_INTEGER>(wanted, kernel32::kMaxGlobalBlock)) && !Resize(end)) {
        return STG_E_MEDIUMFULL;
      }
    }
    if (position_ > size_) {
      std::memset(static_cast<unsigned char*>(Data()) + size_, 0, position_ - size_);
    }
    size_ = end;
    return S_OK;
  }

  std::atomic<ULONG> refs_{1};
  std::atomic<int> frozen_{0};  // holders of the bytes, which may not change meanwhile
  HGLOBAL block_;
  bool deleteOnRelease_;
  ULARGE_INTEGER size_;
  ULARGE_INTEGER position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream) {
  if (stream == nullptr) return E_INVALIDARG;
  *stream = nullptr;
  bool ownBlock = false;
  if (block == nullptr) {
    block = kernel32::GlobalAlloc(kernel32::GMEM_MOVEABLE, 0);
    if (block == nullptr) return E_OUTOFMEMORY;
    ownBlock = true;
  }
  auto* s = new (std::nothrow) HGlobalStream(block, deleteOnRelease != 0);
  if (s == nullptr) {
    if (ownBlock) kernel32::GlobalFree(block);
    return E_OUTOFMEMORY;
  }
  *stream = s;
  return S_OK;
}

std::shared_ptr<const FrozenBytes> FreezeStreamBytes(LPSTREAM stream) {
  auto* own = dynamic_cast<HGlobalStream*>(stream);
  return own != nullptr ? own->Freeze() : nullptr;
}

HRESULT GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* block) {
  if (block == nullptr) return E_INVALIDARG;
  *block = nullptr;
  // A stream of another kind (a caller's own) has no block.
  auto* own = dynamic_cast<HGlobalStream*>(stream);
  if (own == nullptr) return E_INVALIDARG;
  *block = own->Block();
  return S_OK;
}

}  // namespace ole32
