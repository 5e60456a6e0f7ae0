#include "program/routines/entry.h"

#include "program/routines/globals.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"

namespace pixaroo {

int StartHook() { return 0; }

void EntryRoutine(std::int32_t, std::int32_t, std::int32_t) {
  // Both arrays start empty and always exist until the exit routine.
  itemLinks.Set({});
  photoSources.Set({});
  rt::RegisterExitRoutine(Routine::ExitRoutine);
  StartHook();
  rt::LoadWindow(units::kWindow);
  // Paging from the keyboard: the keys click the paging buttons.
  rt::BindKey(units::kNextButton, korvex::kKeyPageDown);
  rt::BindKey(units::kNextButton, korvex::kKeyRight);
  rt::BindKey(units::kPreviousButton, korvex::kKeyPageUp);
  rt::BindKey(units::kPreviousButton, korvex::kKeyLeft);
  rt::RunEventLoop();
  rt::EndProgram(0);
}

void ExitRoutine(std::int32_t, std::int32_t, std::int32_t) {
  savedPicture.Set(std::nullopt);
  itemLinks.Set({});
  photoSources.Set({});
}

}  // namespace pixaroo
