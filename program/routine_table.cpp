#include "program/routine_table.h"

#include <array>

#include "app/entry.h"
#include "app/event_routines.h"

namespace pixaroo {
namespace {

// `name` is pasted as an identifier (Routine::name), so it cannot be bracketed.
#define PIXAROO_RECORD(name) \
  RoutineRecord { Routine::name, #name, &name }  // NOLINT(bugprone-macro-parentheses)

constexpr std::array<RoutineRecord, static_cast<std::size_t>(Routine::Count)> kTable = {
    PIXAROO_RECORD(DoNothing),
    PIXAROO_RECORD(EntryRoutine),
    PIXAROO_RECORD(ExitRoutine),
    PIXAROO_RECORD(OnWindowCreated),
    PIXAROO_RECORD(SaveIndexFile),
    PIXAROO_RECORD(StartUpdate),
    PIXAROO_RECORD(ShowPreviousPage),
    PIXAROO_RECORD(ShowNextPage),
    PIXAROO_RECORD(PictureRightClick1),
    PIXAROO_RECORD(PictureRightClick2),
    PIXAROO_RECORD(PictureRightClick3),
    PIXAROO_RECORD(PictureRightClick4),
    PIXAROO_RECORD(PictureRightClick5),
    PIXAROO_RECORD(PictureRightClick6),
    PIXAROO_RECORD(OpenSupportChat),
    PIXAROO_RECORD(SavePicture),
    PIXAROO_RECORD(PageLoaderThread),
    PIXAROO_RECORD(UpdateRunThread),
    PIXAROO_RECORD(UpdateCompletionThread),
};

#undef PIXAROO_RECORD

constexpr bool InOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "routine records must be listed in code-segment order");

}  // namespace

std::span<const RoutineRecord> RoutineTable() { return kTable; }

RoutineFn RoutineAt(std::uint32_t codeOffset) {
  if (codeOffset % kRoutineRecordSize != 0) return nullptr;
  const std::uint32_t index = codeOffset / kRoutineRecordSize;
  return index < kTable.size() ? kTable[index].fn : nullptr;
}

}  // namespace pixaroo
