#include "tests/support/program_services.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "app/dll_commands.h"
#include "app/runtime_link.h"
#include "runtime/core/runtime.h"
#include "runtime/dll/dll_commands.h"

namespace pixaroo::testing {

void BindProgramServices() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string error;
    if (!korvex::dll::Resolve(kDllCommands, &error)) {
      std::fprintf(stderr, "program services: %s\n", error.c_str());
      std::abort();
    }
    BindRuntime(&korvex::ServiceTable());
  });
}

}  // namespace pixaroo::testing
