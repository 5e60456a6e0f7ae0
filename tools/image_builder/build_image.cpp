#include "tools/image_builder/build_image.h"

#include <bit>
#include <cstring>
#include <map>

#include "base/little_endian.h"
#include "program/routines/dll_calls.h"
#include "program/routines/global_cells.h"
#include "program/routines/program_texts.h"
#include "program/routines/routine_ids.h"
#include "program/routines/units.h"
#include "runtime/form/writer.h"
#include "runtime/image/libraries.h"
#include "runtime/services/program_image.h"
#include "program/pages/main_window_form.h"

namespace pixaroo::builder {
namespace {

using namespace korvex::image;

struct RecordName {
  std::string name;
  Role role;
};

constexpr Role kRoleR = Role::Routine;
constexpr Role kRoleV = Role::Routine;  // a routine also used as a value
constexpr Role kRoleB = Role::Binding;
constexpr Role kRoleO = Role::Operation;

// The records of program/routines/routine_ids.h, each named with its role's prefix.
std::vector<RecordName> Records() {
  std::vector<RecordName> records;
  auto add = [&](const char* name, Role role) {
    records.push_back(
        {std::string(korvex::kRoleSymbolPrefixes[static_cast<std::size_t>(role)]) + name, role});
  };
#define PIXAROO_RECORD_NAME(name, role) add(#name, kRole##role);
  PIXAROO_ROUTINE_RECORDS(PIXAROO_RECORD_NAME)
#undef PIXAROO_RECORD_NAME
  return records;
}
static_assert(kRecordSize == kRoutineRecordSize);
static_assert(kVarSize == korvex::image::kVarSize);

void Put32(base::Bytes& b, std::uint32_t v) { base::PutFixed32(b, v); }
void Set32(base::Bytes& b, std::uint32_t at, std::uint32_t v) {
  base::EncodeFixed32(b.data() + at, v);
}
void PutDouble(base::Bytes& b, double d) {
  const auto bits = std::bit_cast<std::uint64_t>(d);
  Put32(b, static_cast<std::uint32_t>(bits));
  Put32(b, static_cast<std::uint32_t>(bits >> 32));
}
std::uint32_t Reloc(std::uint32_t field, RelocKind kind) {
  return field << kKindBits | static_cast<std::uint32_t>(kind);
}

// `const`: the numbers and tables first, then each distinct text once.
class ConstPool {
 public:
  explicit ConstPool(Segment& seg) : seg_(seg) {}
  std::uint32_t Text(std::string_view text) {
    const std::string key(text);
    if (auto it = offsets_.find(key); it != offsets_.end()) return it->second;
    const auto at = static_cast<std::uint32_t>(seg_.stored.size());
    seg_.stored.insert(seg_.stored.end(), text.begin(), text.end());
    seg_.stored.push_back(0);
    offsets_.emplace(key, at);
    return at;
  }

 private:
  Segment& seg_;
  std::map<std::string, std::uint32_t> offsets_;
};

void BuildConstHead(Segment& c) {
  PutDouble(c.stored, 1.0);
  PutDouble(c.stored, 2.0);
  Put32(c.stored, 1);  // the empty-array template: one dimension of size 0
  Put32(c.stored, 0);
  // The regular-expression object's operation table: its operations'
  // records, in order, each a kind-3 relocation.
  static_assert(kRegexOperationCount == kOperationCount);
  for (std::uint32_t i = 0; i < kOperationCount; ++i) {
    const std::uint32_t field = kOperationTableOffset + 4 * i;
    Put32(c.stored, RoutineOffset(kFirstRegexOperation) + i * kRecordSize);
    c.relocations.push_back(Reloc(field, RelocKind::Code));
  }
}

void BuildRecords(Segment& code, ConstPool& pool) {
  for (const RecordName& r : Records()) {
    const auto at = static_cast<std::uint32_t>(code.stored.size());
    code.stored.resize(at + kRecordSize, 0);
    Set32(code.stored, at + kRecNameField, pool.Text(r.name));
    code.relocations.push_back(Reloc(at + kRecNameField, RelocKind::Const));
    Set32(code.stored, at + kRecRoleField, static_cast<std::uint32_t>(r.role));
    if (r.role == Role::Binding) {
      // The service table's first slot and the start of `var`.
      code.relocations.push_back(Reloc(at + kRecServicesField, RelocKind::Service));
      code.relocations.push_back(Reloc(at + kRecVarField, RelocKind::Var));
    }
  }
  const auto end = static_cast<std::uint32_t>(code.stored.size());
  code.stored.resize(end + kRecordSize, 0);
  Set32(code.stored, end + kRecNameField, kEndRecordName);
}

// The operand block: each list a count, then its entries; every field is
// named by the fix-up list or relocation that describes it. The program
// reads its units, DLL command numbers, routine values and texts here.
void BuildOperands(Image& image, const std::vector<std::uint32_t>& textPlaces) {
  Segment& code = image.At(Seg::Code);
  auto here = [&] { return static_cast<std::uint32_t>(code.stored.size()); };
  auto list = [&](Fixup f) -> std::vector<std::uint32_t>& {
    return image.fixups[static_cast<std::size_t>(f)];
  };
  Put32(code.stored, static_cast<std::uint32_t>(std::size(units::kAll)));
  for (const korvex::UnitRef& u : units::kAll) {
    list(Fixup::Unit).push_back(here());
    Put32(code.stored, u.window);
    list(Fixup::Unit).push_back(here());
    Put32(code.stored, u.unit);
    list(Fixup::Type).push_back(here());
    Put32(code.stored, u.type);
  }
  Put32(code.stored, static_cast<std::uint32_t>(kDllCommandCount));
  for (std::uint32_t n = 0; n < kDllCommandCount; ++n) {
    list(Fixup::DllCommand).push_back(here());
    Put32(code.stored, n);
  }
  Put32(code.stored, static_cast<std::uint32_t>(std::size(kRoutineValues)));
  for (Routine r : kRoutineValues) {
    code.relocations.push_back(Reloc(here(), RelocKind::Code));
    Put32(code.stored, RoutineOffset(r));
  }
  Put32(code.stored, static_cast<std::uint32_t>(textPlaces.size()));
  for (std::uint32_t place : textPlaces) {
    code.relocations.push_back(Reloc(here(), RelocKind::Const));
    Put32(code.stored, place);
  }
}

}  // namespace

korvex::image::Image BuildProgramImage() {
  Image image;
  for (std::size_t i = 0; i < kSegmentCount; ++i) {
    image.segments[i].name = kSegmentNames[i];
    image.segments[i].flags = kSegmentFlags[i];
  }
  for (const RuntimeLibrary& l : kRuntimeLibraries) {
    image.libraries.push_back({std::string(l.name), std::string(l.id), std::string(l.major),
                               std::string(l.minor), std::string(l.description)});
  }
  Segment& c = image.At(Seg::Const);
  BuildConstHead(c);
  ConstPool pool(c);
  std::vector<std::uint32_t> textPlaces;
  for (std::string_view text : texts::kAll) textPlaces.push_back(pool.Text(text));
  for (const korvex::DllCommandName& d : kDllCommands) {
    DllEntry e;
    e.fileOffset = pool.Text(d.file);
    e.functionOffset = pool.Text(d.function);
    image.dllCommands.push_back(e);
  }
  BuildRecords(image.At(Seg::Code), pool);
  BuildOperands(image, textPlaces);
  image.At(Seg::Form).stored = korvex::form::WriteForm(MainWindowForm());
  image.At(Seg::Help).stored.assign(kHelpSize, 0);
  image.At(Seg::Var).memorySize = kVarSize;
  for (Segment& s : image.segments) {
    if (!s.stored.empty()) s.memorySize = static_cast<std::uint32_t>(s.stored.size());
  }
  image.entryOffset = RoutineOffset(Routine::EntryRoutine);
  return image;
}

std::vector<std::string> ExportedSymbols() {
  std::vector<std::string> names;
  for (const RecordName& r : Records()) names.push_back(r.name);
  return names;
}

}  // namespace pixaroo::builder
