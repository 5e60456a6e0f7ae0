// The update completion: de-duplicating the photo index (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void UpdateCompletionThread(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
