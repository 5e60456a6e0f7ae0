// What the loader hands the runtime: the address of the program image's
// first byte (its layout: runtime/image/FORMAT.md). The runtime reads the
// image's size from its header and checks everything else before it uses it.
#pragma once

#include <cstdint>

namespace korvex {

// The runtime's start function, as GetNewSock hands it out: runs the
// program in the image to its end and returns the process exit code.
using StartFunction = int (*)(const void* image);

// The loader passes this number to GetNewSock.
inline constexpr std::uint32_t kGetNewSockMagic = 1000;

}  // namespace korvex
