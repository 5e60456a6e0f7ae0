// Binding a read program image to this runtime and to the program's native
// routines.
//
// LoadProgram checks what the reader cannot check alone: that every listed
// library is one the runtime has, that each routine record names a routine
// the program exports (looked up by name once, here), that the relocated
// fields of the records refer to what their role needs, that every unit,
// DLL command, library and type the four fix-up lists name exists, and that
// `form` is a window description. It then allocates `var` zero-filled and
// gives the Program the Runtime runs. Every refusal names its reason.
//
// A LoadedProgram owns everything its Program() refers to (the window
// description, the DLL names, the routine table, `var`); it must outlive the
// Runtime that runs it. Its Program() may be read from any thread once made.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/runtime.h"
#include "runtime/image/image.h"

namespace korvex::image {

// The address of a symbol the program exports, or nullptr.
using SymbolLookup = std::function<void*(const std::string&)>;

// What a binding record's routine is called with: the service table and
// the program's `var` block.
using BindingRoutine = void (*)(const Services*, void* var);

class LoadedProgram {
 public:
  korvex::Program Program() const;
  std::uint8_t* Var() { return var_.data(); }
  std::size_t RecordCount() const { return records_.size(); }

 private:
  friend Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image&, const SymbolLookup&);
  struct Record {
    Role role = Role::Routine;
    void* address = nullptr;
  };
  NativeRoutine RoutineAt(std::uint32_t offset) const;

  std::vector<std::uint8_t> form_;
  std::uint32_t entryOffset_ = 0;
  std::vector<Record> records_;
  BindingRoutine binding_ = nullptr;
  std::vector<std::string> dllNames_;  // file, function, file, function, ...
  std::vector<DllCommandName> dllCommands_;
  std::vector<std::uint8_t> var_;
};

Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image& image, const SymbolLookup& lookup);

// Looks a symbol up among what the running executable exports.
void* ExecutableSymbol(const std::string& name);

}  // namespace korvex::image
