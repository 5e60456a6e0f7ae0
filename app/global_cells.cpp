#include "app/global_cells.h"

#include <atomic>

namespace pixaroo {
namespace {

alignas(4) std::uint8_t g_ownBlock[kVarSize] = {};
std::atomic<std::uint8_t*> g_var{g_ownBlock};

std::atomic_ref<std::int32_t> Ref(std::int32_t* cell) {
  return std::atomic_ref<std::int32_t>(*cell);
}

}  // namespace

void BindGlobalCells(void* var) {
  if (var != nullptr) g_var.store(static_cast<std::uint8_t*>(var), std::memory_order_release);
}

std::int32_t* GlobalCell::Cell() const {
  // The block is 4-byte aligned and every cell offset a multiple of 4.
  return reinterpret_cast<std::int32_t*>(g_var.load(std::memory_order_acquire) + offset_);
}

std::int32_t GlobalCell::load() const { return Ref(Cell()).load(); }
void GlobalCell::store(std::int32_t v) { Ref(Cell()).store(v); }
std::int32_t GlobalCell::fetch_add(std::int32_t v) { return Ref(Cell()).fetch_add(v); }
std::int32_t GlobalCell::fetch_sub(std::int32_t v) { return Ref(Cell()).fetch_sub(v); }

}  // namespace pixaroo
