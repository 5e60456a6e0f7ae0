// Writing the photo index to its file on close (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void SaveIndexFile(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
