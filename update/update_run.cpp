// The update run over the gallery's list and item pages (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void StartUpdate(std::int32_t, std::int32_t, std::int32_t) {}
void UpdateRunThread(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
