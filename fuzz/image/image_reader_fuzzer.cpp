// Fuzzes the program image reader and loader. Whatever the bytes, reading
// and binding must return without a fault, and every refusal must say why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "runtime/image/executable_symbols.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"

namespace {

void Routine() {}
void Bind(const korvex::Services*, const korvex::ProgramMemory&) {}
const korvex::ProgramBinding kBinding = {0x28, &Bind};

// Every name with a role's prefix resolves to something of this executable.
void* AnySymbol(const std::string& name) {
  if (name.starts_with(korvex::kRoleSymbolPrefixes[1])) {
    return const_cast<korvex::ProgramBinding*>(&kBinding);
  }
  return reinterpret_cast<void*>(&Routine);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvex::image;
  const auto read = ReadImage(std::span<const std::uint8_t>(data, size));
  if (!read.ok()) {
    if (read.error().refusal == Refusal::None || read.error().detail.empty()) std::abort();
    return 0;
  }
  const auto loaded = LoadProgram(*read, &AnySymbol, &InExecutable);
  if (!loaded.ok() && (loaded.error().refusal == Refusal::None || loaded.error().detail.empty()))
    std::abort();
  return 0;
}
