// The program's routine table: binds each routine number of
// app/routine_ids.h to the native routine it stands for, wherever that
// routine lives (app/, ui/, update/).
//
// The table is constant data; any thread may read it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/routine_ids.h"

namespace pixaroo {

// Every native routine takes the three 32-bit mouse arguments; routines of
// events without arguments receive zeros and ignore them.
using RoutineFn = void (*)(std::int32_t, std::int32_t, std::int32_t);

struct RoutineRecord {
  Routine id;
  std::string_view name;  // the symbol the record names
  RoutineFn fn;
};

// All routines in code-segment order (index == record number).
std::span<const RoutineRecord> RoutineTable();

// The routine at a code offset, or nullptr when the offset names no record
// (not a multiple of the record size, or past the table).
RoutineFn RoutineAt(std::uint32_t codeOffset);

}  // namespace pixaroo
