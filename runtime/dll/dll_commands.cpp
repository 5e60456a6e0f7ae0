#include "runtime/dll/dll_commands.h"

#include <algorithm>
#include <mutex>
#include <string_view>
#include <vector>

#include "base/text_ops.h"
#include "runtime/dll/layer_exports.h"

namespace korvex::dll {
namespace {

// The process's resolved table. Reached through a function so that a
// program bound during static initialisation finds it constructed.
struct Table {
  std::mutex mutex;
  std::vector<AnyFunction> functions;  // guarded by mutex
};
Table& TheTable() {
  static Table table;
  return table;
}

// "KERNEL32" -> "kernel32.dll"; an empty name stays empty.
std::string NormalFile(std::string_view file) {
  std::string name = base::ToLower(file);
  if (!name.empty() && name.find('.') == std::string::npos) name += ".dll";
  return name;
}

AnyFunction FindExport(std::string_view file, std::string_view function) {
  for (const LayerExport& e : LayerExports()) {
    if ((file.empty() || e.file == file) && e.function == function) return e.address;
  }
  return nullptr;
}

AnyFunction ResolveOne(const DllCommandName& command) {
  if (command.function == nullptr || *command.function == '\0') return nullptr;
  const std::string file = NormalFile(command.file == nullptr ? "" : command.file);
  const std::string_view function = command.function;
  if (AnyFunction f = FindExport(file, function)) return f;
  if (function.back() == 'A' || function.back() == 'W') return nullptr;
  return FindExport(file, std::string(function) + "A");
}

}  // namespace

bool Resolve(std::span<const DllCommandName> table, std::string* error) {
  std::vector<AnyFunction> resolved;
  resolved.reserve(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    AnyFunction f = ResolveOne(table[i]);
    if (f == nullptr) {
      if (error != nullptr) {
        *error = "DLL command " + std::to_string(i) + " (\"" +
                 std::string(table[i].file ? table[i].file : "") + "\", \"" +
                 std::string(table[i].function ? table[i].function : "") + "\") is not found";
      }
      return false;
    }
    resolved.push_back(f);
  }
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  t.functions = std::move(resolved);
  return true;
}

AnyFunction Address(int number) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (number < 0 || static_cast<std::size_t>(number) >= t.functions.size()) return nullptr;
  return t.functions[static_cast<std::size_t>(number)];
}

}  // namespace korvex::dll
