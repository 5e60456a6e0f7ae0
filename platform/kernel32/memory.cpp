#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/kernel32/kernel32.h"

namespace kernel32 {

struct GlobalBlock {
  unsigned char* data = nullptr;  // malloc'd; null when size is 0
  SIZE_T size = 0;
  UINT flags = 0;
  int locks = 0;
};

namespace {

unsigned char* Allocate(SIZE_T bytes, bool zero) {
  if (bytes == 0) return nullptr;
  return static_cast<unsigned char*>(zero ? std::calloc(bytes, 1) : std::malloc(bytes));
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > kMaxGlobalBlock) return nullptr;
  auto* block = new (std::nothrow) GlobalBlock;
  if (block == nullptr) return nullptr;
  block->data = Allocate(bytes, (flags & GMEM_ZEROINIT) != 0);
  if (bytes != 0 && block->data == nullptr) {
    delete block;
    return nullptr;
  }
  block->size = bytes;
  block->flags = flags;
  return block;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
  if (mem == nullptr || bytes > kMaxGlobalBlock) return nullptr;
  if (bytes == 0) {
    std::free(mem->data);
    mem->data = nullptr;
    mem->size = 0;
    return mem;
  }
  const bool zero = (flags & GMEM_ZEROINIT) != 0;
  unsigned char* grown = nullptr;
  if (mem->data == nullptr) {
    grown = Allocate(bytes, zero);
  } else {
    grown = static_cast<unsigned char*>(std::realloc(mem->data, bytes));
    if (grown != nullptr && zero && bytes > mem->size) {
      std::memset(grown + mem->size, 0, bytes - mem->size);
    }
  }
  if (grown == nullptr) return nullptr;
  mem->data = grown;
  mem->size = bytes;
  return mem;
}

void* GlobalLock(HGLOBAL mem) {
  if (mem == nullptr || mem->data == nullptr) return nullptr;
  ++mem->locks;
  return mem->data;
}

BOOL GlobalUnlock(HGLOBAL mem) {
  if (mem == nullptr || mem->locks == 0) return 0;
  return --mem->locks > 0 ? 1 : 0;
}

SIZE_T GlobalSize(HGLOBAL mem) { return mem == nullptr ? 0 : mem->size; }

HGLOBAL GlobalFree(HGLOBAL mem) {
  if (mem != nullptr) {
    std::free(mem->data);
    delete mem;
  }
  return nullptr;
}

void RtlMoveMemory(void* destination, const void* source, SIZE_T length) {
  if (length != 0) std::memmove(destination, source, length);
}

char* lstrcpynA(char* destination, const char* source, int maxCount) {
  if (destination == nullptr || source == nullptr || maxCount <= 0) return nullptr;
  int i = 0;
  for (; i < maxCount - 1 && source[i] != '\0'; ++i) destination[i] = source[i];
  destination[i] = '\0';
  return destination;
}

}  // namespace kernel32
