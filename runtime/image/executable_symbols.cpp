#include "runtime/image/executable_symbols.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdint>

namespace korvex::image {

void* ExecutableSymbol(const std::string& name) {
  // The executable's own handle; it stays open for the life of the process.
  static void* const self = ::dlopen(nullptr, RTLD_NOW);
  return self != nullptr ? ::dlsym(self, name.c_str()) : nullptr;
}

std::optional<std::span<const std::uint8_t>> LoadedSegmentOf(const void* address,
                                                             bool executableOnly) {
  struct Query {
    std::uintptr_t address;
    bool executableOnly;
    std::optional<std::span<const std::uint8_t>> segment;
  } query{reinterpret_cast<std::uintptr_t>(address), executableOnly, std::nullopt};
  // The first object dl_iterate_phdr reports is the executable itself.
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) -> int {
        auto* q = static_cast<Query*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& ph = info->dlpi_phdr[i];
          const std::uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
          if (ph.p_type == PT_LOAD && q->address >= begin && q->address - begin < ph.p_memsz) {
            q->segment.emplace(reinterpret_cast<const std::uint8_t*>(begin), ph.p_memsz);
            return 1;
          }
        }
        return q->executableOnly ? 1 : 0;
      },
      &query);
  return query.segment;
}

bool InExecutable(const void* address) { return LoadedSegmentOf(address, true).has_value(); }

}  // namespace korvex::image
