// What the executable and the runtime agree on about the program image:
// the loader hands the runtime the address of the image's first byte (its
// layout: runtime/image/FORMAT.md); the runtime reads the image's size from
// its header, checks it against kMaxImageSize and checks everything else
// before it uses it. The routine records of the image's `code` segment name
// symbols the executable exports; a record's role fixes the prefix its name
// must carry, so a record can never name anything else of the process.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvex {

struct Services;

// The runtime's start function, as GetNewSock hands it out: runs the
// program in the image to its end and returns the process exit code.
using StartFunction = int (*)(const void* image);

// The loader passes this number to GetNewSock.
inline constexpr std::uint32_t kGetNewSockMagic = 1000;

// The largest image the runtime takes; a size word above it is damage.
inline constexpr std::uint32_t kMaxImageSize = 16U << 20;

// The blocks of a bound program, alive until the process ends. `constants`
// is the image's `const` segment; `operands` the operand block that follows
// the routine records in `code` (FORMAT.md), whose fields the runtime has
// checked against the fix-up lists.
// `operations` is the regular-expression object's operation table of
// `const` as the runtime bound it: for each of its words, in order, the
// address of the operation the word names.
struct ProgramMemory {
  void* var = nullptr;  // zero-filled, at least the binding's varSize bytes
  const std::uint8_t* constants = nullptr;
  std::size_t constSize = 0;
  const std::uint8_t* operands = nullptr;
  std::size_t operandSize = 0;
  void* const* operations = nullptr;
  std::size_t operationCount = 0;
};

// The object the binding record names: how many bytes of `var` the
// program's cells take (an image that declares fewer is refused), and the
// routine the runtime calls once, on the window thread, before the entry
// routine.
struct ProgramBinding {
  std::uint32_t varSize;
  void (*bind)(const Services* services, const ProgramMemory& memory);
};

// Symbol prefixes by record role (routine, binding, operation).
inline constexpr std::array<std::string_view, 3> kRoleSymbolPrefixes = {
    "pixaroo_routine_", "pixaroo_binding_", "pixaroo_operation_"};

}  // namespace korvex
