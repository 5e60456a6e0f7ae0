// What the loader hands the runtime: the program image.
//
// Until the program's image is laid out in its stored form, the executable
// hands over this development image instead: the window description's
// bytes, the program's routine table and its DLL command table, bound
// directly. The runtime checks the
// signature and sizes before it uses anything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/services/services.h"

namespace korvex {

inline constexpr char kDevImageSignature[8] = {'P', 'X', 'D', 'E', 'V', 'I', 'M', 'G'};

struct DevProgramImage {
  char signature[8];
  std::uint32_t size;  // sizeof(DevProgramImage), checked by the runtime
  const std::uint8_t* form;
  std::size_t formSize;
  void (*(*routineAt)(std::uint32_t offset))(std::int32_t, std::int32_t, std::int32_t);
  std::uint32_t entryOffset;
  void (*bindServices)(const Services*);
  const DllCommandName* dllCommands;  // the DLL command table, in number order
  std::size_t dllCommandCount;
};

// The runtime's start function, as GetNewSock hands it out: runs the
// program in the image to its end and returns the process exit code.
using StartFunction = int (*)(const void* image);

// The loader passes this number to GetNewSock.
inline constexpr std::uint32_t kGetNewSockMagic = 1000;

}  // namespace korvex
