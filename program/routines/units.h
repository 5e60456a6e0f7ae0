// The units of the main window as the program's routines name them: each a
// (window id, unit id, unit type id) reference to a unit of the window
// description (program/pages/main_window_form.h), made from the one list of
// units, unit_list.def.
#pragma once

#include <cstdint>

#include "program/routines/unit_ids.h"
#include "runtime/form/unit_types.h"
#include "runtime/services/services.h"

namespace pixaroo {

inline constexpr std::uint32_t kMainWindowId = korvex::form::kMainWindowId;

namespace units {

using korvex::UnitRef;
#define PIXAROO_UNIT(ref, idName, id, type) \
  inline constexpr UnitRef ref{kMainWindowId, unit_id::idName, korvex::form::type};
#define PIXAROO_FRAME(idName, id, type)
#include "program/routines/unit_list.def"

// 图片框1 .. 图片框6 in box order.
inline constexpr UnitRef kPictures[6] = {kPicture1, kPicture2, kPicture3,
                                         kPicture4, kPicture5, kPicture6};

// Every unit the routines name, in the order of the image's unit operands.
inline constexpr UnitRef kAll[] = {
#define PIXAROO_UNIT(ref, idName, id, type) ref,
#define PIXAROO_FRAME(idName, id, type)
#include "program/routines/unit_list.def"
};

}  // namespace units
}  // namespace pixaroo
