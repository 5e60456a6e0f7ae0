#include "loader/program_image.h"

#include "app/routine_table.h"
#include "app/runtime_link.h"
#include "runtime/form/writer.h"
#include "runtime/services/program_image.h"
#include "ui/main_window_form.h"

namespace pixaroo {
namespace {

const korvex::Bytes& FormBytes() {
  static const korvex::Bytes bytes = korvex::form::WriteForm(MainWindowForm());
  return bytes;
}

}  // namespace

const void* ProgramImage() {
  static const korvex::DevProgramImage image = [] {
    korvex::DevProgramImage i{};
    std::copy(std::begin(korvex::kDevImageSignature), std::end(korvex::kDevImageSignature),
              i.signature);
    i.size = sizeof i;
    i.form = FormBytes().data();
    i.formSize = FormBytes().size();
    i.routineAt = &RoutineAt;
    i.entryOffset = RoutineOffset(Routine::EntryRoutine);
    i.bindServices = &BindRuntime;
    return i;
  }();
  return &image;
}

}  // namespace pixaroo
