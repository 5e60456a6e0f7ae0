#include "runtime/image/program_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <set>

#include "runtime/form/reader.h"
#include "runtime/image/libraries.h"

namespace korvex::image {
namespace {

using Loaded = Result<std::unique_ptr<LoadedProgram>>;

std::string Hex(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

std::uint32_t U32(const base::Bytes& b, std::uint32_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// The text at `at` in `const` (the reader checked every kind-1 field's
// offset; the text must still end inside the segment).
std::optional<std::string> ConstText(const Image& image, std::uint32_t at) {
  const base::Bytes& c = image.At(Seg::Const).stored;
  for (std::size_t i = at; i < c.size(); ++i) {
    if (c[i] == 0) return std::string(c.begin() + at, c.begin() + i);
  }
  return std::nullopt;
}

std::optional<std::string> CheckLibraries(const Image& image) {
  if (image.libraries.empty() || image.libraries[0].name != kRuntimeLibraries[0].name) {
    return "the first library is not the core library";
  }
  for (const Library& l : image.libraries) {
    bool known = false;
    for (const RuntimeLibrary& r : kRuntimeLibraries) {
      known = known || (l.name == r.name && l.id == r.id && l.major == r.major);
    }
    if (!known)
      return "library " + Quoted(l.name) + " " + l.id + " version " + l.major +
             " is not one of the runtime's";
  }
  return std::nullopt;
}

}  // namespace

korvex::Program LoadedProgram::Program() const {
  korvex::Program p;
  p.form = form_;
  p.entryOffset = entryOffset_;
  p.routineAt = [this](std::uint32_t offset) { return RoutineAt(offset); };
  BindingRoutine bind = binding_;
  void* var = const_cast<std::uint8_t*>(var_.data());
  p.bindServices = [bind, var](const Services* services) { bind(services, var); };
  p.dllCommands = dllCommands_;
  return p;
}

NativeRoutine LoadedProgram::RoutineAt(std::uint32_t offset) const {
  if (offset % kRecordSize != 0 || offset / kRecordSize >= records_.size()) return nullptr;
  const Record& r = records_[offset / kRecordSize];
  return r.role == Role::Routine ? reinterpret_cast<NativeRoutine>(r.address) : nullptr;
}

Loaded LoadProgram(const Image& image, const SymbolLookup& lookup) {
  if (auto bad = CheckLibraries(image)) return Loaded::Refuse(Refusal::UnknownLibrary, *bad);

  const Segment& code = image.At(Seg::Code);
  // Relocated fields by (segment, offset) -> kind.
  std::map<std::uint32_t, RelocKind> codeFields;
  for (std::uint32_t w : code.relocations)
    codeFields[w >> kKindBits] = static_cast<RelocKind>(w & kKindMask);
  auto fieldIs = [&](std::uint32_t at, RelocKind kind) {
    auto it = codeFields.find(at);
    return it != codeFields.end() && it->second == kind;
  };

  auto program = std::make_unique<LoadedProgram>();
  // Routine records up to the end record.
  std::uint32_t at = 0;
  for (;; at += kRecordSize) {
    const std::string where = "routine record at " + Hex(at);
    if (static_cast<std::uint64_t>(at) + kRecordSize > code.stored.size()) {
      return Loaded::Refuse(Refusal::BadRecord, "the routine records have no end record");
    }
    if (U32(code.stored, at + kRecNameField) == kEndRecordName) break;
    if (!fieldIs(at + kRecNameField, RelocKind::Const)) {
      return Loaded::Refuse(Refusal::BadRecord,
                            where + ": its name is not a relocated const offset");
    }
    const std::uint32_t role = U32(code.stored, at + kRecRoleField);
    if (role >= kRoleCount)
      return Loaded::Refuse(Refusal::BadRecord, where + ": role " + std::to_string(role));
    const auto name = ConstText(image, U32(code.stored, at + kRecNameField));
    if (!name || name->empty())
      return Loaded::Refuse(Refusal::BadRecord, where + ": its name is not a text");
    LoadedProgram::Record record{static_cast<Role>(role), lookup(*name)};
    if (record.address == nullptr) {
      return Loaded::Refuse(Refusal::UnknownRoutine, where + " names " + Quoted(*name) +
                                                         ", which the program does not export");
    }
    if (record.role == Role::Binding) {
      if (program->binding_ != nullptr)
        return Loaded::Refuse(Refusal::BadRecord, where + ": a second binding record");
      if (!fieldIs(at + kRecServicesField, RelocKind::Service) ||
          U32(code.stored, at + kRecServicesField) != 0 ||
          !fieldIs(at + kRecVarField, RelocKind::Var) || U32(code.stored, at + kRecVarField) != 0) {
        return Loaded::Refuse(Refusal::BadRecord,
                              where + ": the binding does not take the service table and var");
      }
      program->binding_ = reinterpret_cast<BindingRoutine>(record.address);
    }
    program->records_.push_back(record);
  }
  if (program->binding_ == nullptr)
    return Loaded::Refuse(Refusal::BadRecord, "no routine record binds the services");
  const std::uint32_t recordsEnd = at;

  // Every routine address used as a value names a routine record.
  for (Seg s : {Seg::Const, Seg::Code}) {
    const Segment& seg = image.At(s);
    for (std::uint32_t w : seg.relocations) {
      if (static_cast<RelocKind>(w & kKindMask) != RelocKind::Code) continue;
      const std::uint32_t target = U32(seg.stored, w >> kKindBits);
      if (target % kRecordSize != 0 || target >= recordsEnd) {
        return Loaded::Refuse(Refusal::BadRelocation, "field " + Hex(w >> kKindBits) + " of " +
                                                          Quoted(seg.name) + " refers to " +
                                                          Hex(target) + ", not a routine record");
      }
    }
  }
  if (program->RoutineAt(image.entryOffset) == nullptr) {
    return Loaded::Refuse(Refusal::BadEntry,
                          "the entry offset " + Hex(image.entryOffset) + " names no routine");
  }

  const auto form = form::ReadForm(image.At(Seg::Form).stored);
  if (!form.ok()) return Loaded::Refuse(Refusal::BadWindow, form.error);
  std::set<std::uint32_t> unitIds{form.form->windowId}, types;
  for (const auto& u : form.form->units) {
    unitIds.insert(u.id);
    types.insert(u.typeId);
  }
  const auto& lists = image.fixups;
  for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Unit)]) {
    if (!unitIds.contains(U32(code.stored, f))) {
      return Loaded::Refuse(Refusal::UnknownUnit, "code field " + Hex(f) + " names unit " +
                                                      Hex(U32(code.stored, f)) +
                                                      ", which the window lacks");
    }
  }
  for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::DllCommand)]) {
    if (U32(code.stored, f) >= image.dllCommands.size()) {
      return Loaded::Refuse(
          Refusal::UnknownDllCommand,
          "code field " + Hex(f) + " names DLL command " + std::to_string(U32(code.stored, f)));
    }
  }
  for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Library)]) {
    const std::uint32_t n = U32(code.stored, f);
    if (n == 0 || n >= image.libraries.size()) {
      return Loaded::Refuse(Refusal::UnknownLibraryNumber,
                            "code field " + Hex(f) + " names library " + std::to_string(n));
    }
  }
  for (std::uint32_t f : lists[static_cast<std::size_t>(Fixup::Type)]) {
    const std::uint32_t t = U32(code.stored, f);
    const std::uint32_t library = t >> 16;
    if (library == 0 || library > image.libraries.size() || !types.contains(t)) {
      return Loaded::Refuse(Refusal::UnknownType, "code field " + Hex(f) + " names type " + Hex(t) +
                                                      ", which the window lacks");
    }
  }

  program->form_.assign(image.At(Seg::Form).stored.begin(), image.At(Seg::Form).stored.end());
  program->entryOffset_ = image.entryOffset;
  for (const DllEntry& d : image.dllCommands) {
    program->dllNames_.push_back(d.file);
    program->dllNames_.push_back(d.function);
  }
  for (std::size_t i = 0; i < image.dllCommands.size(); ++i) {
    program->dllCommands_.push_back(
        {program->dllNames_[2 * i].c_str(), program->dllNames_[2 * i + 1].c_str()});
  }
  program->var_.assign(image.At(Seg::Var).memorySize, 0);
  return {std::move(program), Refusal::None, {}};
}

void* ExecutableSymbol(const std::string& name) {
  // The executable's own handle; it stays open for the life of the process.
  static void* const self = ::dlopen(nullptr, RTLD_NOW);
  return self != nullptr ? ::dlsym(self, name.c_str()) : nullptr;
}

}  // namespace korvex::image
