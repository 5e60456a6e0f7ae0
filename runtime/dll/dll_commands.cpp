#include "runtime/dll/dll_commands.h"

#include <mutex>
#include <string_view>
#include <vector>

#include "runtime/dll/export_names.h"
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

AnyFunction ResolveOne(const DllCommandName& command) {
  if (command.function == nullptr) return nullptr;
  const std::size_t at =
      FindExport(kExportNames, command.file == nullptr ? "" : command.file, command.function);
  return at == kNoExport ? nullptr : LayerExports()[at].address;
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
