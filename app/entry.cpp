#include "app/entry.h"

#include "app/globals.h"
#include "app/runtime_link.h"
#include "app/units.h"

namespace pixaroo {

int StartHook() { return 0; }

void EntryRoutine(std::int32_t, std::int32_t, std::int32_t) {
  // Both arrays start empty and always exist until the exit routine.
  itemLinks.Set({});
  photoSources.Set({});
  rt::RegisterExitRoutine(Routine::ExitRoutine);
  StartHook();
  rt::LoadWindow(kMainWindowId);
  rt::RunEventLoop();
  rt::EndProgram(0);
}

void ExitRoutine(std::int32_t, std::int32_t, std::int32_t) {
  savedPicture.Set(std::nullopt);
  itemLinks.Set({});
  photoSources.Set({});
}

}  // namespace pixaroo
