// Fuzzes the program image reader and loader. Whatever the bytes, reading
// and binding must return without a fault, and every refusal must say why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"

namespace {

void Routine() {}

void* AnySymbol(const std::string&) { return reinterpret_cast<void*>(&Routine); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvex::image;
  const auto read = ReadImage(std::span<const std::uint8_t>(data, size));
  if (!read.ok()) {
    if (read.refusal == Refusal::None || read.detail.empty()) std::abort();
    return 0;
  }
  const auto loaded = LoadProgram(*read.value, &AnySymbol);
  if (!loaded.ok() && (loaded.refusal == Refusal::None || loaded.detail.empty())) std::abort();
  return 0;
}
