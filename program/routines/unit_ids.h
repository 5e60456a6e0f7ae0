// The unit identifiers of the main window, as its description stores them
// and as the program's routines name the units, and each unit's type: made
// from the one list of units, unit_list.def.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/form/unit_types.h"

namespace pixaroo {

namespace unit_id {
#define PIXAROO_UNIT(ref, idName, id, type) inline constexpr std::uint32_t idName = id;
#define PIXAROO_FRAME(idName, id, type) inline constexpr std::uint32_t idName = id;
#include "program/routines/unit_list.def"
}  // namespace unit_id

// The unit type of unit `id` of the main window; 0 for an id it lacks.
constexpr std::uint32_t UnitTypeOf(std::uint32_t id) {
#define PIXAROO_UNIT(ref, idName, id_, type) \
  if (id == unit_id::idName) return korvex::form::type;
#define PIXAROO_FRAME(idName, id_, type) \
  if (id == unit_id::idName) return korvex::form::type;
#include "program/routines/unit_list.def"
  return 0;
}

// The photo page's boxes, 图片框1 first.
inline constexpr std::array<std::uint32_t, 6> kPictureBoxIds = {
    unit_id::kPictureBox1, unit_id::kPictureBox2, unit_id::kPictureBox3,
    unit_id::kPictureBox4, unit_id::kPictureBox5, unit_id::kPictureBox6};

}  // namespace pixaroo
