// The program image as plain data: what the writer lays out and what the
// reader gives back, field for field (see FORMAT.md), and the refusals a
// reader or loader can give.
//
// Plain values; not shared between threads unless the owner says so.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/error_or.h"
#include "runtime/image/format.h"

namespace korvex::image {

struct DllEntry {
  std::uint32_t fileOffset = 0;      // into `const`
  std::uint32_t functionOffset = 0;  // into `const`
  std::string file;                  // filled by the reader
  std::string function;              // filled by the reader
};

struct Library {
  std::string name;
  std::string id;  // 32 hex digits
  std::string major;
  std::string minor;
  std::string description;  // GBK
  friend bool operator==(const Library&, const Library&) = default;
};

struct Segment {
  std::string name;
  std::uint32_t flags = 0;
  std::uint32_t memorySize = 0;
  base::Bytes stored;  // the bytes stored in the image (may be fewer than memorySize)
  std::vector<std::uint32_t> relocations;
  std::uint32_t headerOffset = 0;  // filled by the reader
  std::uint32_t storedOffset = 0;  // filled by the reader; kNotStored when nothing is stored
};

struct Image {
  std::uint32_t word28 = kWord28;
  std::uint32_t word2C = kWord2C;
  std::uint32_t entryOffset = 0;
  std::vector<DllEntry> dllCommands;
  std::vector<Library> libraries;
  // In chain order: const, form, help, code, var, @reloc1. The writer takes
  // `@reloc1`'s bytes from `fixups`; the reader fills both.
  std::array<Segment, kSegmentCount> segments;
  std::array<std::vector<std::uint32_t>, kFixupListCount> fixups;
  std::uint32_t imageSize = 0;  // filled by the reader

  Segment& At(Seg s) { return segments[static_cast<std::size_t>(s)]; }
  const Segment& At(Seg s) const { return segments[static_cast<std::size_t>(s)]; }
};

// Why an image was refused (refusal_list.def). The detail text says where.
enum class Refusal {
#define KORVEX_REFUSAL(name, text) name,
#include "runtime/image/refusal_list.def"
};

// The refusal's name as said, e.g. "bad header".
const char* RefusalName(Refusal r);

// Why an image was refused: the refusal and the detail text that says where.
struct Refused {
  Refusal refusal = Refusal::None;
  std::string detail;
};

// Either a value or why the image was refused.
template <typename T>
using Result = base::ErrorOr<T, Refused>;

}  // namespace korvex::image
