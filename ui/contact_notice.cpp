// The support contact picture and the usage notice (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void OnWindowCreated(std::int32_t, std::int32_t, std::int32_t) {}
void OpenSupportChat(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
