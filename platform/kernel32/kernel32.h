// The kernel32 memory and code-page calls the program makes, on Linux.
//
// Global memory blocks: a block is reached through an HGLOBAL handle. The
// block owns its bytes; GlobalFree releases both. GlobalLock hands out the
// block's address (null for a block of zero bytes, as for a discarded block),
// valid until the block is resized or freed. A lock count is kept as the
// platform does, but locking never pins anything here.
//
// MultiByteToWideChar converts GBK (code page 0, the system ANSI code page;
// also 1 and 936) or UTF-8 (65001) to UTF-16 little-endian through the one
// GBK <-> Unicode table of base/: bytes that do not form a character become
// U+FFFD, one per character position as the table walks the text.
//
// Every function may be called from any thread; one block must not be used
// by two threads at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/types.h"

namespace kernel32 {

using win32::BOOL;
using win32::DWORD;
using win32::LPCCH;
using win32::LPWSTR;
using win32::SIZE_T;
using win32::UINT;
using win32::WCHAR;

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_OEMCP = 1;
inline constexpr UINT CP_GBK = 936;
inline constexpr UINT CP_UTF8 = 65001;

// Largest block GlobalAlloc/GlobalReAlloc will hand out.
inline constexpr SIZE_T kMaxGlobalBlock = SIZE_T{1} << 31;

// A new block of `bytes` bytes (zero-filled with GMEM_ZEROINIT), or null.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Resizes the block; bytes kept up to the smaller size, growth zero-filled
// with GMEM_ZEROINIT. Returns the handle, or null (block unchanged).
HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
// The block's address, or null for a null handle or an empty block.
void* GlobalLock(HGLOBAL mem);
// TRUE while the block is still locked after this call.
BOOL GlobalUnlock(HGLOBAL mem);
// The block's size in bytes (0 for null).
SIZE_T GlobalSize(HGLOBAL mem);
// Frees the block; returns null on success.
HGLOBAL GlobalFree(HGLOBAL mem);

// Copies `length` bytes; the ranges may overlap.
void RtlMoveMemory(void* destination, const void* source, SIZE_T length);

// Copies at most `maxCount` - 1 bytes of `source` and a terminating NUL into
// `destination`; returns `destination` (null, nothing written, when either
// pointer is null or `maxCount` is not positive).
char* lstrcpynA(char* destination, const char* source, int maxCount);

// Converts `sourceBytes` bytes of `source` (-1: up to and including its NUL)
// into `destination`, which holds `destinationUnits` UTF-16 units. With
// destinationUnits 0 only the needed count is returned. Returns the units
// written (or needed); 0 on failure (unknown code page, bad arguments, or a
// destination too small).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH source, int sourceBytes,
                        LPWSTR destination, int destinationUnits);

}  // namespace kernel32
