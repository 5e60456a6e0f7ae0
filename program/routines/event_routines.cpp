#include "program/routines/event_routines.h"

namespace pixaroo {

// Offset 0 of the routine table: the window description names it for
// clicks that need no work.
void DoNothing(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
