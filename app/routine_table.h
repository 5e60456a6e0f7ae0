// The program's routine table.
//
// The code segment of the program image holds one fixed-size record per
// routine, naming the native routine it stands for; a routine's code offset
// is the offset of its record, and offset 0 is the do-nothing routine. The
// window description (event entries, menu entries), the image header's entry
// offset and routine addresses used as values (thread routines, the exit
// routine) all refer to routines by these offsets. The runtime resolves each
// offset to its native function once, at load.
//
// The table is constant data; any thread may read it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace pixaroo {

// Size of one routine record in the code segment.
inline constexpr std::uint32_t kRoutineRecordSize = 0x40;

// Record numbers, in code-segment order. Offset = number * kRoutineRecordSize.
enum class Routine : std::uint32_t {
  DoNothing = 0,
  EntryRoutine,
  ExitRoutine,
  OnWindowCreated,
  SaveIndexFile,
  StartUpdate,
  ShowPreviousPage,
  ShowNextPage,
  PictureRightClick1,
  PictureRightClick2,
  PictureRightClick3,
  PictureRightClick4,
  PictureRightClick5,
  PictureRightClick6,
  OpenSupportChat,
  SavePicture,
  PageLoaderThread,
  UpdateRunThread,
  UpdateCompletionThread,
  Count
};

constexpr std::uint32_t RoutineOffset(Routine r) {
  return static_cast<std::uint32_t>(r) * kRoutineRecordSize;
}

// Every native routine takes the three 32-bit mouse arguments; routines of
// events without arguments receive zeros and ignore them.
using RoutineFn = void (*)(std::int32_t, std::int32_t, std::int32_t);

struct RoutineRecord {
  Routine id;
  std::string_view name;  // the symbol the record names
  RoutineFn fn;
};

// All routines in code-segment order (index == record number).
std::span<const RoutineRecord> RoutineTable();

// The routine at a code offset, or nullptr when the offset names no record
// (not a multiple of the record size, or past the table).
RoutineFn RoutineAt(std::uint32_t codeOffset);

}  // namespace pixaroo
