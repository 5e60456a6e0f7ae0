// Binds the program for tests that call its routines directly, without a
// loaded window: the program image the builder writes is read and loaded
// through the runtime's reader and loader, and the program is bound to the
// runtime's service table and to that image's memory (its `var`, `const` and
// operand block), so routines read their texts, units, DLL commands and
// routine values from the image. The DLL command table is resolved against
// the platform layers, and the HTTP read and automation-object commands
// work; window services need a running Runtime (tests/program/exports/program_harness.h).
#pragma once

#include "runtime/services/program_image.h"

namespace pixaroo::testing {

// Idempotent; any thread.
void BindProgramServices();

// The memory of the builder's image, loaded once (its routine records
// resolved to stand-ins: nothing here calls them); alive until the process
// ends.
const korvex::ProgramMemory& BuilderImageMemory();

}  // namespace pixaroo::testing
