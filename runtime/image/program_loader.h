// Binding a read program image to this runtime and to the program's native
// routines.
//
// LoadProgram checks what the reader cannot check alone, one step after the
// other: that every listed library is one the runtime has; that each
// routine record names, by the prefix of its role, a symbol the executable
// itself exports (looked up once, here, and checked to lie in the
// executable); that the binding's `var` size fits what the image declares;
// that every routine used as a value, as an event routine, as a menu
// entry's routine or as the entry routine has the role that use needs, and
// that `const`'s relocations are the ten words of the regular-expression
// object's operation table, each naming an operation; that
// the operand block holds exactly the fields the fix-up lists and
// relocations describe, each naming a unit, type, DLL command, routine or
// text that exists. It then allocates `var` zero-filled and gives the
// Program the Runtime runs. Every refusal names its reason.
//
// A LoadedProgram owns everything its Program() refers to (the window
// description, `const`, the operand block, the DLL names, the routine
// table, `var`); it must outlive the Runtime that runs it. Its Program() may
// be read from any thread once made.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/core/runtime.h"
#include "runtime/image/image.h"
#include "runtime/services/program_image.h"

namespace korvex::image {

// The address of a symbol the program exports, or nullptr.
using SymbolLookup = std::function<void*(const std::string&)>;
// True when `address` lies in the executable's own loaded image.
using ExecutableCheck = std::function<bool(const void*)>;

class LoadedProgram {
 public:
  korvex::Program Program() const;
  std::uint8_t* Var() { return var_.data(); }
  // What the binding hands the program.
  ProgramMemory Memory() const;

 private:
  friend class ProgramBuilder;
  struct Record {
    Role role = Role::Routine;
    void* address = nullptr;
  };
  NativeRoutine RoutineAt(std::uint32_t offset) const;

  std::vector<std::uint8_t> form_;
  std::uint32_t entryOffset_ = 0;
  std::vector<Record> records_;
  const ProgramBinding* binding_ = nullptr;
  std::vector<std::uint8_t> const_;
  std::vector<std::uint8_t> operands_;
  std::vector<std::string> dllNames_;  // file, function, file, function, ...
  std::vector<DllCommandName> dllCommands_;
  std::vector<std::uint8_t> var_;
  std::vector<void*> operations_;  // the operation table, bound
};

Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image& image, const SymbolLookup& lookup,
                                                   const ExecutableCheck& inExecutable);
// The same, against the running executable's exports.
Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image& image);

}  // namespace korvex::image
