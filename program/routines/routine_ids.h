// The program's routines: the one list of the records of the program
// image's `code` segment, in record order, as an X-macro list X(name, role).
//
// A routine's code offset is the offset of its record (record number times
// kRoutineRecordSize); offset 0 is the do-nothing routine. The window
// description (event entries, menu entries), the image header's entry
// offset and routine addresses used as values (thread routines, the exit
// routine) refer to routines by these offsets; the runtime resolves each
// record to the native symbol the executable exports for it (the role's
// prefix of runtime/services/program_image.h, then the name) once, at load.
//
// Role: R a routine the runtime calls (three 32-bit arguments, declared in
// program/routines/event_routines.h); V the same, also used by the program
// as a value (the exit routine, the thread routines), in record order in the
// image's operand list of routines; B the binding that hands the program the runtime's
// services and its memory, O an operation of the regular-expression object,
// in the order of its operation table (program/text/regex_operations.h),
// which the program calls through the table the image holds.
//
// Constant data; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#define PIXAROO_ROUTINE_RECORDS(X) \
  X(DoNothing, R)                  \
  X(EntryRoutine, R)               \
  X(ExitRoutine, V)                \
  X(OnWindowCreated, R)            \
  X(SaveIndexFile, R)              \
  X(StartUpdate, R)                \
  X(ShowPreviousPage, R)           \
  X(ShowNextPage, R)               \
  X(PictureRightClick1, R)         \
  X(PictureRightClick2, R)         \
  X(PictureRightClick3, R)         \
  X(PictureRightClick4, R)         \
  X(PictureRightClick5, R)         \
  X(PictureRightClick6, R)         \
  X(OpenSupportChat, R)            \
  X(SavePicture, R)                \
  X(PageLoaderThread, V)           \
  X(UpdateRunThread, V)            \
  X(UpdateCompletionThread, V)     \
  X(BindProgram, B)                \
  X(RegexDestroy, O)               \
  X(RegexCopy, O)                  \
  X(RegexSearch, O)                \
  X(RegexNoOp, O)                  \
  X(RegexPatternText, O)           \
  X(RegexReplaceMatches, O)        \
  X(RegexMatchCount, O)            \
  X(RegexMatchText, O)             \
  X(RegexSubMatchText, O)          \
  X(RegexSubMatchCount, O)

namespace pixaroo {

// Size of one routine record in the code segment.
inline constexpr std::uint32_t kRoutineRecordSize = 0x40;

// Record numbers, in code-segment order.
enum class Routine : std::uint32_t {
#define PIXAROO_ROUTINE_ID(name, role) name,
  PIXAROO_ROUTINE_RECORDS(PIXAROO_ROUTINE_ID)
#undef PIXAROO_ROUTINE_ID
      Count
};

// The operation table's records, in its order.
inline constexpr Routine kFirstRegexOperation = Routine::RegexDestroy;
inline constexpr std::uint32_t kRegexOperationCount = 10;

// Routines the program uses as values (role V), in the order of the image's
// operand list of routines, which is their record order.
#define PIXAROO_IS_VALUE_R 0
#define PIXAROO_IS_VALUE_V 1
#define PIXAROO_IS_VALUE_B 0
#define PIXAROO_IS_VALUE_O 0
#define PIXAROO_COUNT_VALUE(name, role) +PIXAROO_IS_VALUE_##role
inline constexpr std::size_t kRoutineValueCount = 0 PIXAROO_ROUTINE_RECORDS(PIXAROO_COUNT_VALUE);
#undef PIXAROO_COUNT_VALUE
inline constexpr std::array<Routine, kRoutineValueCount> kRoutineValues = [] {
  std::array<Routine, kRoutineValueCount> values{};
  std::size_t n = 0;
#define PIXAROO_ROUTINE_VALUE(name, role) \
  if (PIXAROO_IS_VALUE_##role) values[n++] = Routine::name;
  PIXAROO_ROUTINE_RECORDS(PIXAROO_ROUTINE_VALUE)
#undef PIXAROO_ROUTINE_VALUE
  return values;
}();

constexpr std::uint32_t RoutineOffset(Routine r) {
  return static_cast<std::uint32_t>(r) * kRoutineRecordSize;
}

}  // namespace pixaroo
