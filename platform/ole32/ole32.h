// OLE32-shaped memory streams and class identifiers, on Linux.
//
// A stream made by CreateStreamOnHGlobal lives on a kernel32 global memory
// block. It is reference counted (it starts at 1); the last Release deletes
// the stream and, when it was made with deleteOnRelease, frees the block.
// The block grows in steps as data is written, so GlobalSize of the block
// may exceed the stream's size (Stat's cbSize), exactly as on the platform.
//
// Threads: AddRef/Release may be called from any thread; the other methods
// of one stream from one thread at a time. The free functions are
// thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/kernel32/kernel32.h"
#include "platform/win32/types.h"

namespace ole32 {

using win32::CO_E_CLASSSTRING;
using win32::E_INVALIDARG;
using win32::E_OUTOFMEMORY;
using win32::FAILED;
using win32::HRESULT;
using win32::LARGE_INTEGER;
using win32::NOERROR;
using win32::S_FALSE;
using win32::S_OK;
using win32::STG_E_INVALIDFUNCTION;
using win32::STG_E_INVALIDPOINTER;
using win32::STG_E_ACCESSDENIED;
using win32::STG_E_MEDIUMFULL;
using win32::SUCCEEDED;
using win32::ULARGE_INTEGER;
using win32::ULONG;

using kernel32::BOOL;
using kernel32::DWORD;
using kernel32::HGLOBAL;
using kernel32::WCHAR;
using LPCOLESTR = const WCHAR*;

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
  friend bool operator==(const GUID&, const GUID&) = default;
};
using CLSID = GUID;
static_assert(sizeof(GUID) == 16);

inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;
inline constexpr DWORD STGTY_STREAM = 2;

struct STATSTG {
  WCHAR* pwcsName = nullptr;  // never set: streams on memory have no name
  DWORD type = 0;
  ULARGE_INTEGER cbSize = 0;
};

// The stream methods the program and the imaging layer use.
class IStream {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) = 0;
  virtual HRESULT Write(const void* data, ULONG bytes, ULONG* bytesWritten) = 0;
  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER newSize) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;

 protected:
  IStream() = default;
  ~IStream() = default;
};
using LPSTREAM = IStream*;

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in either case).
// A null text gives the all-zero identifier and NOERROR; any other text that
// does not match gives CO_E_CLASSSTRING and leaves *clsid zero.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);

// A stream over `block` (its size is the block's size), or over a new empty
// block when `block` is null. With deleteOnRelease the stream frees the block
// when it is released for the last time.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream);

// The block under a stream made by CreateStreamOnHGlobal; E_INVALIDARG (and
// *block null) for any other stream.
HRESULT GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* block);

// The bytes of a stream made by CreateStreamOnHGlobal that frees its own
// block, to be read in place: while the returned holder lives, the stream
// stays alive and refuses every change to its bytes (Write and SetSize give
// STG_E_ACCESSDENIED), so the bytes stay where and as they are. Null for any
// other stream, such as one over a block its caller may free.
struct FrozenBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};
std::shared_ptr<const FrozenBytes> FreezeStreamBytes(LPSTREAM stream);

}  // namespace ole32
