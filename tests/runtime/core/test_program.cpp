#include "tests/runtime/core/test_program.h"

#include <array>
#include <set>
#include <utility>

#include "program/pages/main_window_form.h"
#include "program/routines/dll_calls.h"
#include "program/routines/entry.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "runtime/form/writer.h"
#include "tests/support/program_services.h"

namespace pixaroo::testing {
namespace {

std::mutex g_mutex;
std::vector<Call> g_calls;
std::map<std::uint32_t, std::function<void()>> g_hooks;
std::set<std::uint32_t> g_removed;
TestProgram* g_program = nullptr;
bool* g_exitRan = nullptr;

void Record(std::uint32_t index, std::int32_t a, std::int32_t b, std::int32_t c) {
  std::function<void()> hook;
  {
    std::lock_guard lock(g_mutex);
    const std::uint32_t offset = index * kRoutineRecordSize;
    g_calls.push_back({offset, a, b, c});
    const auto it = g_hooks.find(offset);
    if (it != g_hooks.end()) hook = it->second;
  }
  if (hook) hook();
}

template <std::uint32_t I>
void Recorder(std::int32_t a, std::int32_t b, std::int32_t c) {
  Record(I, a, b, c);
}

void ExitRecorder(std::int32_t a, std::int32_t b, std::int32_t c) {
  ExitRoutine(a, b, c);
  *g_exitRan = true;
}

template <std::size_t... I>
constexpr auto MakeRecorders(std::index_sequence<I...>) {
  return std::array<korvex::NativeRoutine, sizeof...(I)>{&Recorder<I>...};
}

constexpr auto kRecorders =
    MakeRecorders(std::make_index_sequence<static_cast<std::size_t>(Routine::Count)>());

korvex::NativeRoutine TestRoutineAt(std::uint32_t offset) {
  {
    std::lock_guard lock(g_mutex);
    if (g_removed.count(offset) != 0) return nullptr;
  }
  if (offset == RoutineOffset(Routine::EntryRoutine)) return &EntryRoutine;
  if (offset == RoutineOffset(Routine::ExitRoutine)) return &ExitRecorder;
  if (offset % kRoutineRecordSize != 0) return nullptr;
  const std::uint32_t index = offset / kRoutineRecordSize;
  return index < kRecorders.size() ? kRecorders[index] : nullptr;
}

}  // namespace

TestProgram::TestProgram() : form_(korvex::form::WriteForm(MainWindowForm())) {
  std::lock_guard lock(g_mutex);
  g_calls.clear();
  g_hooks.clear();
  g_removed.clear();
  g_program = this;
  g_exitRan = &exitRan_;
}

TestProgram::~TestProgram() {
  std::lock_guard lock(g_mutex);
  g_hooks.clear();
  g_program = nullptr;
  BindRuntime(nullptr);
}

void TestProgram::Remove(Routine routine) {
  std::lock_guard lock(g_mutex);
  g_removed.insert(RoutineOffset(routine));
}

void TestProgram::Hook(Routine routine, std::function<void()> hook) {
  std::lock_guard lock(g_mutex);
  g_hooks[RoutineOffset(routine)] = std::move(hook);
}

std::vector<Call> TestProgram::Calls() const {
  std::lock_guard lock(g_mutex);
  return g_calls;
}

std::vector<std::uint32_t> TestProgram::Offsets() const {
  std::vector<std::uint32_t> out;
  for (const auto& c : Calls()) out.push_back(c.offset);
  return out;
}

korvex::Program TestProgram::Program() {
  korvex::Program p;
  p.form = form_;
  p.routineAt = &TestRoutineAt;
  p.entryOffset = RoutineOffset(Routine::EntryRoutine);
  p.bindServices = [](const korvex::Services* s) { BindProgram(s, BuilderImageMemory()); };
  p.dllCommands = kDllCommands;
  return p;
}

}  // namespace pixaroo::testing
