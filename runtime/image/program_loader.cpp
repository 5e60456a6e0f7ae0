#include "runtime/image/program_loader.h"

#include <map>
#include <optional>
#include <set>

#include "base/hex.h"
#include "base/little_endian.h"
#include "runtime/form/reader.h"
#include "runtime/image/executable_symbols.h"
#include "runtime/image/libraries.h"

namespace korvex::image {

using base::Hex;

// Fills a LoadedProgram step by step; each step gives a refusal or nothing.
class ProgramBuilder {
 public:
  using Loaded = Result<std::unique_ptr<LoadedProgram>>;

  ProgramBuilder(const Image& image, const SymbolLookup& lookup, const ExecutableCheck& inExe)
      : image_(image),
        code_(image.At(Seg::Code).stored),
        lookup_(lookup),
        inExecutable_(inExe),
        program_(std::make_unique<LoadedProgram>()) {
    for (std::uint32_t w : image.At(Seg::Code).relocations)
      codeFields_[w >> kKindBits] = static_cast<RelocKind>(w & kKindMask);
  }

  Loaded Load() {
    for (auto step : {&ProgramBuilder::CheckLibraries, &ProgramBuilder::ReadRecords,
                      &ProgramBuilder::CheckVar, &ProgramBuilder::CheckRoutineValues,
                      &ProgramBuilder::ReadOperationTable, &ProgramBuilder::CheckWindow,
                      &ProgramBuilder::CheckFixups, &ProgramBuilder::ReadOperands}) {
      if (!(this->*step)()) return Refused{refusal_, detail_};
    }
    Keep();
    return std::move(program_);
  }

 private:
  bool Refuse(Refusal r, std::string detail) {
    refusal_ = r;
    detail_ = std::move(detail);
    return false;
  }

  static std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }
  std::uint32_t Code32(std::uint32_t at) const { return base::DecodeFixed32(code_.data() + at); }
  bool FieldIs(std::uint32_t at, RelocKind kind) const {
    auto it = codeFields_.find(at);
    return it != codeFields_.end() && it->second == kind;
  }

  // The text at `at` in `const`: it must end inside the segment.
  std::optional<std::string> ConstText(std::uint32_t at) const {
    const base::Bytes& c = image_.At(Seg::Const).stored;
    for (std::size_t i = at; i < c.size(); ++i) {
      if (c[i] == 0) return std::string(c.begin() + at, c.begin() + i);
    }
    return std::nullopt;
  }

  // The role of the record at a code offset, or nothing when none is there.
  std::optional<Role> RoleAt(std::uint32_t offset) const {
    if (offset % kRecordSize != 0 || offset / kRecordSize >= program_->records_.size())
      return std::nullopt;
    return program_->records_[offset / kRecordSize].role;
  }
  // `offset`, used as `use`, must name a record of role `role`.
  bool NeedRole(std::uint32_t offset, Role role, const std::string& use, Refusal noRecord) {
    const auto found = RoleAt(offset);
    if (!found) return Refuse(noRecord, use + " " + Hex(offset) + " is not a routine record");
    if (*found != role) {
      return Refuse(Refusal::WrongRole, use + " " + Hex(offset) + " names a record of role " +
                                            std::to_string(static_cast<int>(*found)));
    }
    return true;
  }

  bool CheckLibraries() {
    if (image_.libraries.empty() || image_.libraries[0].name != kRuntimeLibraries[0].name)
      return Refuse(Refusal::UnknownLibrary, "the first library is not the core library");
    for (const Library& l : image_.libraries) {
      bool known = false;
      for (const RuntimeLibrary& r : kRuntimeLibraries)
        known = known || (l.name == r.name && l.id == r.id && l.major == r.major);
      if (!known) {
        return Refuse(Refusal::UnknownLibrary, "library " + Quoted(l.name) + " " + l.id +
                                                   " version " + l.major +
                                                   " is not one of the runtime's");
      }
    }
    return true;
  }

  // One record: its name is a relocated const text with its role's prefix,
  // and the executable itself exports it.
  bool ReadRecord(std::uint32_t at) {
    const std::string where = "routine record at " + Hex(at);
    if (!FieldIs(at + kRecNameField, RelocKind::Const))
      return Refuse(Refusal::BadRecord, where + ": its name is not a relocated const offset");
    const std::uint32_t role = Code32(at + kRecRoleField);
    if (role >= kRoleCount)
      return Refuse(Refusal::BadRecord, where + ": role " + std::to_string(role));
    const auto name = ConstText(Code32(at + kRecNameField));
    if (!name || name->empty())
      return Refuse(Refusal::BadRecord, where + ": its name is not a text");
    if (!name->starts_with(kRoleSymbolPrefixes[role])) {
      return Refuse(Refusal::NotAProgramRoutine,
                    where + " names " + Quoted(*name) + ", not a program symbol of its role");
    }
    LoadedProgram::Record record{static_cast<Role>(role), lookup_(*name)};
    if (record.address == nullptr) {
      return Refuse(Refusal::UnknownRoutine,
                    where + " names " + Quoted(*name) + ", which the program does not export");
    }
    if (!inExecutable_(record.address)) {
      return Refuse(Refusal::NotAProgramRoutine,
                    where + " names " + Quoted(*name) + ", which lies outside the executable");
    }
    if (record.role == Role::Binding && !ReadBinding(at, record.address, where)) return false;
    program_->records_.push_back(record);
    return true;
  }

  bool ReadBinding(std::uint32_t at, void* address, const std::string& where) {
    if (program_->binding_ != nullptr)
      return Refuse(Refusal::BadRecord, where + ": a second binding record");
    if (!FieldIs(at + kRecServicesField, RelocKind::Service) ||
        Code32(at + kRecServicesField) != 0 || !FieldIs(at + kRecVarField, RelocKind::Var) ||
        Code32(at + kRecVarField) != 0) {
      return Refuse(Refusal::BadRecord,
                    where + ": the binding does not take the service table and var");
    }
    const auto* binding = static_cast<const ProgramBinding*>(address);
    if (binding->bind == nullptr || !inExecutable_(reinterpret_cast<const void*>(binding->bind)))
      return Refuse(Refusal::NotAProgramRoutine,
                    where + ": its routine lies outside the executable");
    program_->binding_ = binding;
    return true;
  }

  bool ReadRecords() {
    for (std::uint32_t at = 0;; at += kRecordSize) {
      if (static_cast<std::uint64_t>(at) + kRecordSize > code_.size())
        return Refuse(Refusal::BadRecord, "the routine records have no end record");
      if (Code32(at + kRecNameField) == kEndRecordName) {
        recordsEnd_ = at;
        break;
      }
      if (!ReadRecord(at)) return false;
    }
    if (program_->binding_ == nullptr)
      return Refuse(Refusal::BadRecord, "no routine record binds the services");
    return true;
  }

  bool CheckVar() {
    const std::uint32_t declared = image_.At(Seg::Var).memorySize;
    if (declared < program_->binding_->varSize || declared > kMaxVarSize) {
      return Refuse(Refusal::VarSize, "var holds " + Hex(declared) +
                                          " bytes; the program's cells take " +
                                          Hex(program_->binding_->varSize) + ", at most " +
                                          Hex(kMaxVarSize) + " is allocated");
    }
    return true;
  }

  // Routine addresses used as values: in `const` the regular-expression
  // object's operations, in `code` the routines the program starts or
  // registers; the entry routine.
  bool CheckRoutineValues() {
    for (Seg s : {Seg::Const, Seg::Code}) {
      const Segment& seg = image_.At(s);
      for (std::uint32_t w : seg.relocations) {
        if (static_cast<RelocKind>(w & kKindMask) != RelocKind::Code) continue;
        const std::uint32_t field = w >> kKindBits;
        const std::uint32_t target = base::DecodeFixed32(seg.stored.data() + field);
        if (!NeedRole(target, s == Seg::Const ? Role::Operation : Role::Routine,
                      "field " + Hex(field) + " of " + Quoted(seg.name) + " refers to",
                      Refusal::BadRelocation))
          return false;
      }
    }
    return NeedRole(image_.entryOffset, Role::Routine, "the entry offset", Refusal::BadEntry);
  }

  // `const`'s relocations are exactly the operation table's words, each
  // naming an operation (checked above); the program gets their addresses.
  bool ReadOperationTable() {
    const Segment& c = image_.At(Seg::Const);
    std::set<std::uint32_t> fields;
    for (std::uint32_t w : c.relocations) {
      const std::uint32_t field = w >> kKindBits;
      const std::uint32_t slot = (field - kOperationTableOffset) / 4;
      if (static_cast<RelocKind>(w & kKindMask) != RelocKind::Code ||
          field < kOperationTableOffset || (field - kOperationTableOffset) % 4 != 0 ||
          slot >= kOperationCount || !fields.insert(field).second) {
        return Refuse(Refusal::BadRelocation,
                      "relocation of field " + Hex(field) +
                          " of \"const\" is no word of the operation table");
      }
    }
    if (fields.size() != kOperationCount) {
      return Refuse(Refusal::BadRelocation, "the operation table has " +
                                                std::to_string(fields.size()) + " of its " +
                                                std::to_string(kOperationCount) + " relocations");
    }
    for (std::uint32_t i = 0; i < kOperationCount; ++i) {
      // Every word lies in the segment: its relocation was checked above.
      const std::uint32_t target =
          base::DecodeFixed32(c.stored.data() + kOperationTableOffset + 4 * i);
      program_->operations_.push_back(program_->records_[target / kRecordSize].address);
    }
    return true;
  }

  bool CheckWindow() {
    auto read = form::ReadForm(image_.At(Seg::Form).stored);
    if (!read.ok()) return Refuse(Refusal::BadWindow, read.error().text);
    form_ = std::move(read).value();
    for (const form::Unit& u : form_.units) {
      const std::string unit = "unit " + Hex(u.id);
      for (const form::EventEntry& e : u.events) {
        if (!NeedRole(e.routineOffset, Role::Routine,
                      unit + " event " + std::to_string(e.event) + " routine", Refusal::BadWindow))
          return false;
      }
      if (u.IsMenuEntry() && u.routineOffset != form::kNoRoutine &&
          !NeedRole(static_cast<std::uint32_t>(u.routineOffset), Role::Routine,
                    unit + " menu routine", Refusal::BadWindow))
        return false;
    }
    return true;
  }

  bool CheckFixups() {
    std::set<std::uint32_t> unitIds{form_.windowId}, types;
    for (const auto& u : form_.units) {
      unitIds.insert(u.id);
      types.insert(u.typeId);
    }
    const auto& lists = image_.fixups;
    for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Unit)]) {
      if (!unitIds.contains(Code32(f))) {
        return Refuse(Refusal::UnknownUnit, "code field " + Hex(f) + " names unit " +
                                                Hex(Code32(f)) + ", which the window lacks");
      }
    }
    for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::DllCommand)]) {
      if (Code32(f) >= image_.dllCommands.size()) {
        return Refuse(Refusal::UnknownDllCommand,
                      "code field " + Hex(f) + " names DLL command " + std::to_string(Code32(f)));
      }
    }
    for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Library)]) {
      const std::uint32_t n = Code32(f);
      if (n == 0 || n >= image_.libraries.size()) {
        return Refuse(Refusal::UnknownLibraryNumber,
                      "code field " + Hex(f) + " names library " + std::to_string(n));
      }
    }
    for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Type)]) {
      const std::uint32_t t = Code32(f);
      const std::uint32_t library = t >> 16;
      if (library == 0 || library > image_.libraries.size() || !types.contains(t)) {
        return Refuse(Refusal::UnknownType, "code field " + Hex(f) + " names type " + Hex(t) +
                                                ", which the window lacks");
      }
    }
    return true;
  }

  // What must describe an operand field: a fix-up list or a relocation.
  bool Described(std::uint32_t field, Operand list, std::size_t column) const {
    auto listed = [&](Fixup f) {
      const auto& l = image_.fixups[static_cast<std::size_t>(f)];
      return std::find(l.begin(), l.end(), field) != l.end();
    };
    switch (list) {
      case Operand::Unit:
        return listed(column < 2 ? Fixup::Unit : Fixup::Type);
      case Operand::DllCommand:
        return listed(Fixup::DllCommand);
      case Operand::Routine:
        return FieldIs(field, RelocKind::Code);
      case Operand::Text:
        return FieldIs(field, RelocKind::Const);
    }
    return false;
  }

  // The operand block: its lists end at the end of `code`, and every field
  // is one the fix-up lists or relocations describe (so the checks above
  // covered it); every text ends inside `const`.
  bool ReadOperands() {
    const std::uint32_t start = recordsEnd_ + kRecordSize;
    std::uint64_t at = start;
    for (std::size_t l = 0; l < kOperandListCount; ++l) {
      if (at + 4 > code_.size())
        return Refuse(Refusal::BadRecord, "the operand block is cut short");
      const std::uint64_t count = Code32(static_cast<std::uint32_t>(at));
      at += 4;
      if (at + count * kOperandWidth[l] > code_.size())
        return Refuse(Refusal::BadRecord,
                      "operand list " + std::to_string(l + 1) + " runs past `code`");
      for (std::uint64_t i = 0; i < count * kOperandWidth[l] / 4; ++i, at += 4) {
        const auto field = static_cast<std::uint32_t>(at);
        const auto list = static_cast<Operand>(l);
        if (!Described(field, list, static_cast<std::size_t>(i % (kOperandWidth[l] / 4)))) {
          return Refuse(Refusal::BadRecord,
                        "operand field " + Hex(field) + " is in no fix-up list or relocation");
        }
        if (list == Operand::Text && !ConstText(Code32(field)))
          return Refuse(Refusal::BadRecord,
                        "operand text at " + Hex(field) + " does not end in const");
      }
    }
    if (at != code_.size()) return Refuse(Refusal::BadRecord, "bytes follow the operand block");
    program_->operands_.assign(code_.begin() + start, code_.end());
    return true;
  }

  void Keep() {
    LoadedProgram& p = *program_;
    p.form_.assign(image_.At(Seg::Form).stored.begin(), image_.At(Seg::Form).stored.end());
    p.const_.assign(image_.At(Seg::Const).stored.begin(), image_.At(Seg::Const).stored.end());
    p.entryOffset_ = image_.entryOffset;
    for (const DllEntry& d : image_.dllCommands) {
      p.dllNames_.push_back(d.file);
      p.dllNames_.push_back(d.function);
    }
    for (std::size_t i = 0; i < image_.dllCommands.size(); ++i)
      p.dllCommands_.push_back({p.dllNames_[2 * i].c_str(), p.dllNames_[2 * i + 1].c_str()});
    p.var_.assign(image_.At(Seg::Var).memorySize, 0);
  }

  const Image& image_;
  const base::Bytes& code_;
  const SymbolLookup& lookup_;
  const ExecutableCheck& inExecutable_;
  std::unique_ptr<LoadedProgram> program_;
  std::map<std::uint32_t, RelocKind> codeFields_;
  std::uint32_t recordsEnd_ = 0;
  form::Form form_;
  Refusal refusal_ = Refusal::None;
  std::string detail_;
};

korvex::Program LoadedProgram::Program() const {
  korvex::Program p;
  p.form = form_;
  p.entryOffset = entryOffset_;
  p.routineAt = [this](std::uint32_t offset) { return RoutineAt(offset); };
  const ProgramBinding* binding = binding_;
  const ProgramMemory memory = Memory();
  p.bindServices = [binding, memory](const Services* services) { binding->bind(services, memory); };
  p.dllCommands = dllCommands_;
  return p;
}

ProgramMemory LoadedProgram::Memory() const {
  return {const_cast<std::uint8_t*>(var_.data()),
          const_.data(),
          const_.size(),
          operands_.data(),
          operands_.size(),
          operations_.data(),
          operations_.size()};
}

NativeRoutine LoadedProgram::RoutineAt(std::uint32_t offset) const {
  if (offset % kRecordSize != 0 || offset / kRecordSize >= records_.size()) return nullptr;
  const Record& r = records_[offset / kRecordSize];
  return r.role == Role::Routine ? reinterpret_cast<NativeRoutine>(r.address) : nullptr;
}

Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image& image, const SymbolLookup& lookup,
                                                   const ExecutableCheck& inExecutable) {
  return ProgramBuilder(image, lookup, inExecutable).Load();
}

Result<std::unique_ptr<LoadedProgram>> LoadProgram(const Image& image) {
  return LoadProgram(image, &ExecutableSymbol, &InExecutable);
}

}  // namespace korvex::image
