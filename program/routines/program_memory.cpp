#include "program/routines/program_memory.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "base/little_endian.h"
#include "program/routines/global_cells.h"
#include "program/routines/units.h"

namespace pixaroo {
namespace {

// The operand lists, in the image's order: units (three words each), DLL
// command numbers, routine values, text places.
enum List : std::size_t { kUnitList, kDllList, kRoutineList, kTextList, kListCount };
constexpr std::array<std::size_t, kListCount> kWords = {3, 1, 1, 1};

struct Bound {
  const std::uint8_t* constants = nullptr;
  std::size_t constSize = 0;
  std::array<const std::uint8_t*, kListCount> lists{};  // first entry of each
  std::array<std::uint32_t, kListCount> counts{};
  void* const* operations = nullptr;
  std::size_t operationCount = 0;
};

std::atomic<const Bound*> g_bound{nullptr};

// The image is little-endian whatever the host's order.
std::uint32_t Word(const std::uint8_t* at) { return base::DecodeFixed32(at); }

const Bound& B() {
  const Bound* b = g_bound.load(std::memory_order_acquire);
  if (b == nullptr) std::abort();
  return *b;
}

// Word `word` of entry `index` of list `list`.
std::uint32_t Operand(List list, std::size_t index, std::size_t word = 0) {
  const Bound& b = B();
  if (index >= b.counts[list]) std::abort();
  return Word(b.lists[list] + 4 * (index * kWords[list] + word));
}

// Splits the operand block into its lists; the runtime checked its shape.
// Every binding's lists stay until the process ends (a reader may still
// hold the previous one).
const Bound* Split(const korvex::ProgramMemory& m) {
  static std::mutex mutex;
  static std::deque<Bound> all;
  std::lock_guard lock(mutex);
  Bound* b =
      &all.emplace_back(Bound{m.constants, m.constSize, {}, {}, m.operations, m.operationCount});
  std::size_t at = 0;
  for (std::size_t l = 0; l < kListCount; ++l) {
    if (at + 4 > m.operandSize) std::abort();
    b->counts[l] = Word(m.operands + at);
    b->lists[l] = m.operands + at + 4;
    at += 4 + 4 * kWords[l] * b->counts[l];
  }
  if (at > m.operandSize) std::abort();
  return b;
}

}  // namespace

void BindImageMemory(const korvex::ProgramMemory& memory) {
  BindGlobalCells(memory.var);
  g_bound.store(Split(memory), std::memory_order_release);
}

std::string_view ImageText(texts::Id id) {
  const std::uint32_t place = Operand(kTextList, static_cast<std::size_t>(id));
  const Bound& b = B();
  if (place >= b.constSize) std::abort();
  const auto* text = reinterpret_cast<const char*>(b.constants + place);
  // The runtime checked that the text ends inside `const`.
  return {text, ::strnlen(text, b.constSize - place)};
}

korvex::UnitRef ImageUnit(const korvex::UnitRef& unit) {
  for (std::size_t i = 0; i < std::size(units::kAll); ++i) {
    if (units::kAll[i] == unit)
      return {Operand(kUnitList, i, 0), Operand(kUnitList, i, 1), Operand(kUnitList, i, 2)};
  }
  std::abort();
}

int ImageDllCommand(int command) {
  return static_cast<int>(Operand(kDllList, static_cast<std::size_t>(command)));
}

std::uint32_t ImageRoutine(Routine routine) {
  for (std::size_t i = 0; i < std::size(kRoutineValues); ++i) {
    if (kRoutineValues[i] == routine) return Operand(kRoutineList, i);
  }
  std::abort();
}

void* ImageOperation(std::uint32_t order) {
  const Bound& b = B();
  if (order >= b.operationCount || b.operations[order] == nullptr) std::abort();
  return b.operations[order];
}

}  // namespace pixaroo
