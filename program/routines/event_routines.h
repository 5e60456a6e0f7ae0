// The routines the runtime calls (role R of program/routines/routine_ids.h): the
// window's event routines, the entry and exit routines and the thread
// routines, each defined in its module (app/, ui/, update/). Each takes the
// three 32-bit mouse arguments of the runtime's routine calling convention;
// none reads them.
#pragma once

#include <cstdint>

#include "program/routines/routine_ids.h"

namespace pixaroo {

#define PIXAROO_DECLARE_R(name) void name(std::int32_t, std::int32_t, std::int32_t);
#define PIXAROO_DECLARE_V(name) PIXAROO_DECLARE_R(name)
#define PIXAROO_DECLARE_B(name)
#define PIXAROO_DECLARE_O(name)
#define PIXAROO_DECLARE(name, role) PIXAROO_DECLARE_##role(name)
PIXAROO_ROUTINE_RECORDS(PIXAROO_DECLARE)
#undef PIXAROO_DECLARE
#undef PIXAROO_DECLARE_O
#undef PIXAROO_DECLARE_B
#undef PIXAROO_DECLARE_V
#undef PIXAROO_DECLARE_R

}  // namespace pixaroo
