#include "program/routines/global_cells.h"

#include <atomic>
#include <cstdlib>

namespace pixaroo {
namespace {

std::atomic<std::uint8_t*> g_var{nullptr};

std::atomic_ref<std::int32_t> Ref(std::int32_t* cell) {
  return std::atomic_ref<std::int32_t>(*cell);
}

}  // namespace

void BindGlobalCells(void* var) {
  g_var.store(static_cast<std::uint8_t*>(var), std::memory_order_release);
}

std::int32_t* GlobalCell::Cell() const {
  std::uint8_t* var = g_var.load(std::memory_order_acquire);
  if (var == nullptr) std::abort();  // no program is bound
  // The block is 4-byte aligned and every cell offset a multiple of 4.
  return reinterpret_cast<std::int32_t*>(var + offset_);
}

std::int32_t GlobalCell::load() const { return Ref(Cell()).load(); }
void GlobalCell::store(std::int32_t v) { Ref(Cell()).store(v); }
std::int32_t GlobalCell::fetch_add(std::int32_t v) { return Ref(Cell()).fetch_add(v); }
std::int32_t GlobalCell::fetch_sub(std::int32_t v) { return Ref(Cell()).fetch_sub(v); }

}  // namespace pixaroo
