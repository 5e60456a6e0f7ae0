// The program's routines by number.
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

}  // namespace pixaroo
