// Paging through the photo index and the page loader (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void ShowPreviousPage(std::int32_t, std::int32_t, std::int32_t) {}
void ShowNextPage(std::int32_t, std::int32_t, std::int32_t) {}
void PageLoaderThread(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
