// The symbols the executable exports for the routine records of its program
// image (program/routines/routine_ids.h): the runtime looks each one up by name once,
// when it loads the image, and takes only symbols with their role's prefix
// that lie in the executable. Only these symbols are exported (the build
// links the executable with the list the image builder writes).
#include <cstdint>

#include "program/routines/event_routines.h"
#include "program/routines/global_cells.h"
#include "program/routines/routine_ids.h"
#include "program/routines/runtime_link.h"
#include "program/text/regex_operations.h"
#include "runtime/services/program_image.h"

#define PIXAROO_EXPORT extern "C" __attribute__((visibility("default"), used))

using Arg = std::int32_t;

// Routines the runtime calls.
#define PIXAROO_EXPORT_R(name) \
  PIXAROO_EXPORT void pixaroo_routine_##name(Arg a, Arg b, Arg c) { pixaroo::name(a, b, c); }
#define PIXAROO_EXPORT_V(name) PIXAROO_EXPORT_R(name)
#define PIXAROO_EXPORT_B(name)
// The regular-expression object's operations, which the program calls
// through the image's operation table.
#define PIXAROO_EXPORT_O(name)                                              \
  PIXAROO_EXPORT void pixaroo_operation_##name(pixaroo::RegexMatcher* self, \
                                               pixaroo::RegexCall* call) {  \
    pixaroo::name(self, call);                                              \
  }
#define PIXAROO_EXPORT_RECORD(name, role) PIXAROO_EXPORT_##role(name)
PIXAROO_ROUTINE_RECORDS(PIXAROO_EXPORT_RECORD)
#undef PIXAROO_EXPORT_RECORD

// The binding: the size of `var` the global cells take, and the routine
// that hands the program the runtime's services and its memory.
PIXAROO_EXPORT const korvex::ProgramBinding pixaroo_binding_BindProgram = {pixaroo::kVarSize,
                                                                           &pixaroo::BindProgram};
