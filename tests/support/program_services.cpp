#include "tests/support/program_services.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "program/routines/global_cells.h"
#include "program/routines/runtime_link.h"
#include "program/routines/program_memory.h"
#include "program/text/regex_operations.h"
#include "runtime/core/runtime.h"
#include "runtime/dll/dll_commands.h"
#include "runtime/image/executable_symbols.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/build_image.h"

namespace pixaroo::testing {
namespace {

void StandIn(std::int32_t, std::int32_t, std::int32_t) {}
const korvex::ProgramBinding kBinding = {kVarSize, &BindProgram};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "program services: %s\n", what.c_str());
  std::abort();
}

const korvex::image::LoadedProgram& Loaded() {
  static const std::unique_ptr<korvex::image::LoadedProgram> loaded = [] {
    auto read = korvex::image::ReadImage(korvex::image::WriteImage(builder::BuildProgramImage()));
    if (!read.ok()) Fail(read.error().detail);
    auto lookup = [](const std::string& name) -> void* {
      if (name.starts_with(korvex::kRoleSymbolPrefixes[1]))
        return const_cast<korvex::ProgramBinding*>(&kBinding);
      // The object's operations are the program's own: batch extraction
      // calls them through the table.
      if (name.starts_with(korvex::kRoleSymbolPrefixes[2])) {
        return reinterpret_cast<void*>(RegexOperationNamed(
            std::string_view(name).substr(korvex::kRoleSymbolPrefixes[2].size())));
      }
      return reinterpret_cast<void*>(&StandIn);
    };
    auto result = korvex::image::LoadProgram(*read, lookup, &korvex::image::InExecutable);
    if (!result.ok()) Fail(result.error().detail);
    return std::move(*result);
  }();
  return *loaded;
}

}  // namespace

const korvex::ProgramMemory& BuilderImageMemory() {
  static const korvex::ProgramMemory memory = Loaded().Memory();
  return memory;
}

void BindProgramServices() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string error;
    if (!korvex::dll::Resolve(Loaded().Program().dllCommands, &error)) Fail(error);
    BindProgram(&korvex::ServiceTable(), BuilderImageMemory());
  });
}

}  // namespace pixaroo::testing
