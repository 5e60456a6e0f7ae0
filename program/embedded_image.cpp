#include "program/embedded_image.h"

#include <algorithm>
#include <iterator>

#include "app/dll_commands.h"
#include "app/runtime_link.h"
#include "program/embedded_form.h"
#include "program/routine_table.h"
#include "runtime/services/program_image.h"

namespace pixaroo {

const void* ProgramImage() {
  static const korvex::DevProgramImage image = [] {
    korvex::DevProgramImage i{};
    std::copy(std::begin(korvex::kDevImageSignature), std::end(korvex::kDevImageSignature),
              i.signature);
    i.size = sizeof i;
    i.form = EmbeddedForm().data();
    i.formSize = EmbeddedForm().size();
    i.routineAt = &RoutineAt;
    i.entryOffset = RoutineOffset(Routine::EntryRoutine);
    i.bindServices = &BindRuntime;
    i.dllCommands = kDllCommands.data();
    i.dllCommandCount = kDllCommands.size();
    return i;
  }();
  return &image;
}

}  // namespace pixaroo
