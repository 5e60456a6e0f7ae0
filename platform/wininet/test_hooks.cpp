// The test seam's setter, built only into the test-only library
// pixaroo_wininet_testing: the shipped runtime cannot switch hooks on.
#include <utility>

#include "platform/wininet/handles.h"

namespace wininet {

void SetTestHooks(TestHooks hooks) {
  std::lock_guard lock(HooksMutex());
  Hooks() = std::move(hooks);
}

}  // namespace wininet
