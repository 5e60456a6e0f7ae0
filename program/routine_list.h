// Every record of the program image's `code` segment, in record order, as
// an X-macro list: X(name, role). Record n lies at code offset
// n * kRoutineRecordSize and names the native routine the executable exports
// as "pixaroo_" #name (program/routine_exports.cpp). The routines of
// app/routine_ids.h come first, in their numbering; then the binding that
// hands the program the runtime's services and its `var` block; then the
// regular-expression object's ten operations, in its operation table's order.
//
// Role: R a routine the runtime calls (three 32-bit arguments), B the
// binding, O an operation only the program calls.
#pragma once

#include <cstdint>

#define PIXAROO_ROUTINE_RECORDS(X) \
  X(DoNothing, R)                  \
  X(EntryRoutine, R)               \
  X(ExitRoutine, R)                \
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
  X(PageLoaderThread, R)           \
  X(UpdateRunThread, R)            \
  X(UpdateCompletionThread, R)     \
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

// Prefix of every exported routine symbol.
#define PIXAROO_EXPORT_PREFIX "pixaroo_"

namespace pixaroo {

// Record number of the binding and of the first regular-expression operation.
inline constexpr std::uint32_t kBindingRecord = 19;
inline constexpr std::uint32_t kFirstRegexOperationRecord = 20;
inline constexpr std::uint32_t kRegexOperationCount = 10;

}  // namespace pixaroo
