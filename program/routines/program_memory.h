// The program's view of its own image, as the runtime hands it over when it
// binds the program: the `var` block the global cells live in, the texts of
// `const`, and the operand block whose lists name the units, DLL command
// numbers and routine values the routines use (runtime/image/FORMAT.md),
// and the regular-expression object's operation table as the runtime bound
// it.
// Every routine reads its texts, units, DLL commands and routine values
// here, so the image, not the compiled program, says what they are.
//
// BindImageMemory runs once, from BindProgram (runtime_link.h), on the
// window thread before the entry routine; the readers may be called from
// any thread afterwards. Reading before a binding, or an entry the operand
// block lacks, is a programming error and aborts.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/routines/program_texts.h"
#include "program/routines/routine_ids.h"
#include "runtime/services/program_image.h"
#include "runtime/services/services.h"

namespace pixaroo {

// Binds the global cells' `var` block, `const` and the operand block (all
// alive until the process ends).
void BindImageMemory(const korvex::ProgramMemory& memory);

// The text the image stores at the place its text operand `id` names.
std::string_view ImageText(texts::Id id);
// The unit reference the image's unit operands give for `unit`, one of
// units::kAll (its position there is its operand's).
korvex::UnitRef ImageUnit(const korvex::UnitRef& unit);
// The DLL command number the image's operand `command` holds.
int ImageDllCommand(int command);
// The code offset the image's routine operand gives for `routine`, one of
// kRoutineValues (the routines of role V).
std::uint32_t ImageRoutine(Routine routine);
// The operation word `order` (from 0) of the image's operation table names,
// as the runtime bound it (program/text/regex_operations.h).
void* ImageOperation(std::uint32_t order);

}  // namespace pixaroo
