// The image reader and loader against damaged images: every kind of damage
// is refused with its own reason, never a crash. Images start from the one
// the build writes for the program and are damaged in one place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "runtime/form/reader.h"
#include "runtime/form/writer.h"
#include "runtime/image/executable_symbols.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/build_image.h"

namespace korvex::image {
namespace {

base::Bytes Good() { return WriteImage(pixaroo::builder::BuildProgramImage()); }

std::uint32_t Get32(const base::Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}
void Set32(base::Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A segment header's offset, found by walking the chain as the layout has it.
std::uint32_t HeaderOf(const base::Bytes& b, std::size_t index) {
  std::uint32_t at = Get32(b, 0x24);
  for (std::size_t i = 0; i < index; ++i) at = Get32(b, at + 4);
  return at;
}

Refusal ReadRefusal(const base::Bytes& b) {
  const auto r = ReadImage(b);
  if (r.ok()) return Refusal::None;
  EXPECT_FALSE(r.error().detail.empty());
  return r.error().refusal;
}

void DummyRoutine() {}
void DummyBind(const Services*, const ProgramMemory&) {}
const ProgramBinding kBinding = {kVarSize, &DummyBind};

// Every exported name resolves, to a routine of this executable (the
// binding to its object), except those in `missing`; those in `elsewhere`
// resolve to a routine of the C library.
SymbolLookup Lookup(std::set<std::string> missing = {}, std::set<std::string> elsewhere = {}) {
  return [missing, elsewhere](const std::string& name) -> void* {
    if (missing.contains(name) || name.rfind("pixaroo_", 0) != 0) return nullptr;
    if (elsewhere.contains(name)) return reinterpret_cast<void*>(&::abort);
    if (name.rfind("pixaroo_binding_", 0) == 0) return const_cast<ProgramBinding*>(&kBinding);
    return reinterpret_cast<void*>(&DummyRoutine);
  };
}

Refusal LoadRefusal(const Image& image, const SymbolLookup& lookup = Lookup()) {
  const auto read = ReadImage(WriteImage(image));
  if (!read.ok()) return read.error().refusal;
  const auto loaded = LoadProgram(*read, lookup, &InExecutable);
  if (loaded.ok()) return Refusal::None;
  EXPECT_FALSE(loaded.error().detail.empty());
  return loaded.error().refusal;
}

TEST(ImageDamage, TruncationAtEveryFieldIsRefused) {
  const base::Bytes good = Good();
  ASSERT_TRUE(ReadImage(good).ok());
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    base::Bytes b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    // Keep the size field true to the cut bytes, so that the reader walks
    // on to the field the cut really removed.
    if (cut >= 0x38) Set32(b, 0x34, static_cast<std::uint32_t>(cut));
    const auto r = ReadImage(b);
    ASSERT_FALSE(r.ok()) << "cut at " << cut;
    ASSERT_FALSE(r.error().detail.empty());
  }
  // The last four bytes are list 4's last entry, past `@reloc1`'s declared
  // size: without them the list runs out of the image.
  base::Bytes b(good.begin(), good.end() - 4);
  Set32(b, 0x34, static_cast<std::uint32_t>(b.size()));
  EXPECT_EQ(ReadRefusal(b), Refusal::BadFixupList);
  // A header cut short, or a size field that disagrees with the bytes.
  EXPECT_EQ(ReadRefusal(base::Bytes(good.begin(), good.begin() + 0x40)), Refusal::Truncated);
  b = good;
  b.push_back(0);
  EXPECT_EQ(ReadRefusal(b), Refusal::BadHeader);
}

TEST(ImageDamage, HeaderAndChainDamageIsRefused) {
  const base::Bytes good = Good();
  base::Bytes b = good;
  b[1] = 'K';
  EXPECT_EQ(ReadRefusal(b), Refusal::BadSignature);
  b = good;
  b[0x10] = 1;
  EXPECT_EQ(ReadRefusal(b), Refusal::BadSignature);
  b = good;
  Set32(b, 0x38, 0x7FFFFFFF);  // DLL command count
  EXPECT_EQ(ReadRefusal(b), Refusal::BadHeader);
  b = good;
  Set32(b, 0x38, 27);  // one more command than the table: the list is read from the wrong place
  EXPECT_NE(ReadRefusal(b), Refusal::None);
  b = good;
  Set32(b, HeaderOf(good, 3) + 4, HeaderOf(good, 0));  // `code` leads back to `const`
  EXPECT_EQ(ReadRefusal(b), Refusal::ChainLoops);
  b = good;
  Set32(b, HeaderOf(good, 3) + 4, HeaderOf(good, 3));  // `code` leads to itself
  EXPECT_EQ(ReadRefusal(b), Refusal::ChainLoops);
  b = good;
  Set32(b, HeaderOf(good, 2) + 4, static_cast<std::uint32_t>(good.size() + 0x100));
  EXPECT_EQ(ReadRefusal(b), Refusal::Truncated);
  b = good;
  Set32(b, HeaderOf(good, 2) + 4, 0xFFFFFFF0);  // near the top of the address range
  EXPECT_EQ(ReadRefusal(b), Refusal::Truncated);
  b = good;
  Set32(b, HeaderOf(good, 4) + 4, 0xFFFFFFFF);  // the chain ends at `var`
  EXPECT_EQ(ReadRefusal(b), Refusal::WrongSegment);
  b = good;
  b[HeaderOf(good, 1) + 0x0C] = 'F';  // "Form"
  EXPECT_EQ(ReadRefusal(b), Refusal::WrongSegment);
  b = good;
  Set32(b, HeaderOf(good, 3) + 8, 1);  // `code` flags
  EXPECT_EQ(ReadRefusal(b), Refusal::BadSegmentHeader);
  b = good;
  Set32(b, HeaderOf(good, 0) + 0x28, Get32(good, HeaderOf(good, 0) + 0x24) + 1);  // stores more
  EXPECT_EQ(ReadRefusal(b), Refusal::BadSegmentHeader);
  b = good;
  Set32(b, HeaderOf(good, 1) + 0x2C, static_cast<std::uint32_t>(good.size() - 8));
  EXPECT_EQ(ReadRefusal(b), Refusal::Truncated);
  b = good;
  Set32(b, HeaderOf(good, 3) + 0x30, 0x40000000);  // relocation count
  EXPECT_EQ(ReadRefusal(b), Refusal::Truncated);
  b = good;
  Set32(b, 0x40 + 4 * 2, HeaderOf(good, 3));  // the table's `help` entry
  EXPECT_EQ(ReadRefusal(b), Refusal::SegmentTable);
  b = good;
  b[0x128 + 6] = 'x';  // the CR after "korvex"
  EXPECT_EQ(ReadRefusal(b), Refusal::BadLibraryList);
}

TEST(ImageDamage, RelocationsAndFixupsOutsideTheirSegmentAreRefused) {
  const base::Bytes good = Good();
  const std::uint32_t codeHeader = HeaderOf(good, 3);
  const std::uint32_t codeSize = Get32(good, codeHeader + 0x24);
  base::Bytes b = good;
  Set32(b, codeHeader + 0x38, codeSize << 3 | 1);  // a field just past `code`
  EXPECT_EQ(ReadRefusal(b), Refusal::BadRelocation);
  b = good;
  Set32(b, codeHeader + 0x38, (Get32(good, codeHeader + 0x38) & ~7U) | 5);  // kind 5
  EXPECT_EQ(ReadRefusal(b), Refusal::BadRelocation);

  Image image = pixaroo::builder::BuildProgramImage();
  image.fixups[3].back() = codeSize - 2;  // a field that straddles the end of `code`
  EXPECT_EQ(LoadRefusal(image), Refusal::BadFixupList);

  image = pixaroo::builder::BuildProgramImage();
  image.At(Seg::Code).relocations.push_back((codeSize + 4) << 3 | 1);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRelocation);

  // A kind-3 field that holds an offset inside `code` but not a record.
  image = pixaroo::builder::BuildProgramImage();
  auto& c = image.At(Seg::Const).stored;
  Set32(c, kOperationTableOffset, kRecordSize + 4);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRelocation);

  // `const`'s relocations are the operation table's ten words and no other:
  // a word without its relocation, a relocation of another kind or place.
  const Image built = pixaroo::builder::BuildProgramImage();
  ASSERT_EQ(built.At(Seg::Const).relocations.size(), 10U);
  image = built;
  image.At(Seg::Const).relocations.pop_back();
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRelocation);
  image = built;
  image.At(Seg::Const).relocations.push_back(kOneDoubleOffset << 3 | 1);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRelocation);
  image = built;
  Set32(image.At(Seg::Const).stored, kOneDoubleOffset, 20 * kRecordSize);  // an operation
  image.At(Seg::Const).relocations.push_back(kOneDoubleOffset << 3 | 3);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRelocation);

  // `@reloc1` whose lists end four bytes before its declared size.
  b = good;
  const std::uint32_t relocHeader = HeaderOf(good, 5);
  Set32(b, relocHeader + 0x24, Get32(good, relocHeader + 0x24) + 8);
  Set32(b, relocHeader + 0x28, Get32(good, relocHeader + 0x28) + 8);
  b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 0});
  Set32(b, 0x34, static_cast<std::uint32_t>(b.size()));
  EXPECT_EQ(ReadRefusal(b), Refusal::BadFixupList);
}

// Overwrites the text at `place` in `const` with `text` (no longer than
// what was there).
void PutText(Image& image, std::uint32_t place, std::string_view text) {
  auto& c = image.At(Seg::Const).stored;
  std::memcpy(c.data() + place, text.data(), text.size());
  c[place + text.size()] = 0;
}

TEST(ImageDamage, WhatTheLoaderCannotBindIsRefused) {
  const Image good = pixaroo::builder::BuildProgramImage();
  EXPECT_EQ(LoadRefusal(good), Refusal::None);
  EXPECT_EQ(LoadRefusal(good, Lookup({"pixaroo_routine_SavePicture"})), Refusal::UnknownRoutine);
  EXPECT_EQ(LoadRefusal(good, Lookup({"pixaroo_binding_BindProgram"})), Refusal::UnknownRoutine);
  EXPECT_EQ(LoadRefusal(good, Lookup({"pixaroo_operation_RegexSearch"})), Refusal::UnknownRoutine);

  auto patched = [&](std::size_t list, std::size_t entry, std::uint32_t value) {
    Image image = good;
    Set32(image.At(Seg::Code).stored, image.fixups[list][entry], value);
    return LoadRefusal(image);
  };
  EXPECT_EQ(patched(0, 1, 0x16010013), Refusal::UnknownUnit);  // no such button
  EXPECT_EQ(patched(0, 0, 0x52010002), Refusal::UnknownUnit);  // no such window
  EXPECT_EQ(patched(1, 0, 26), Refusal::UnknownDllCommand);
  EXPECT_EQ(patched(3, 0, 0x00010010), Refusal::UnknownType);  // a type the window lacks
  EXPECT_EQ(patched(3, 0, 0x00050002), Refusal::UnknownType);  // a library past the list
  // No routine calls a library by number; an entry in list 3 is still
  // checked (DLL command number 0 is no library number).
  Image image = good;
  image.fixups[2].push_back(image.fixups[1][0]);
  EXPECT_EQ(LoadRefusal(image), Refusal::UnknownLibraryNumber);
  // An operand that no list describes: the checks above would miss it.
  image = good;
  image.fixups[1].pop_back();
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRecord);
  image = good;
  image.fixups[0].erase(image.fixups[0].begin() + 5);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRecord);

  image = good;
  image.libraries[2].name = "inet";
  EXPECT_EQ(LoadRefusal(image), Refusal::UnknownLibrary);
  image = good;
  image.libraries[1].id[0] = '0';
  EXPECT_EQ(LoadRefusal(image), Refusal::UnknownLibrary);

  image = good;
  image.entryOffset = 0x44;
  EXPECT_EQ(LoadRefusal(image), Refusal::BadEntry);

  image = good;
  Set32(image.At(Seg::Code).stored, kRecordSize + kRecRoleField, 7);
  EXPECT_EQ(LoadRefusal(image), Refusal::BadRecord);

  image = good;
  image.At(Seg::Form).stored.resize(0x20);
  image.At(Seg::Form).memorySize = 0x20;
  EXPECT_EQ(LoadRefusal(image), Refusal::BadWindow);
}

// The program's cells take 0x28 bytes of `var`, as its binding says: a
// smaller `var` would let them write past the block, and a huge one would
// be allocated for nothing.
TEST(ImageDamage, AVarSmallerThanTheProgramsCellsOrHugeIsRefused) {
  Image image = pixaroo::builder::BuildProgramImage();
  image.At(Seg::Var).memorySize = 4;
  EXPECT_EQ(LoadRefusal(image), Refusal::VarSize);
  image.At(Seg::Var).memorySize = 0x24;
  EXPECT_EQ(LoadRefusal(image), Refusal::VarSize);
  image.At(Seg::Var).memorySize = (1U << 20) + 4;  // just past the megabyte the runtime allows
  EXPECT_EQ(LoadRefusal(image), Refusal::VarSize);
  image.At(Seg::Var).memorySize = 0x28;
  EXPECT_EQ(LoadRefusal(image), Refusal::None);
  image.At(Seg::Var).memorySize = 0x1000;  // more than the cells need is harmless
  EXPECT_EQ(LoadRefusal(image), Refusal::None);
}

// A record resolves only to a symbol of its role's prefix that lies in the
// executable, and each use of a routine needs the role that fits it.
TEST(ImageDamage, ARecordNamesOnlyAProgramRoutineOfTheRoleItsUseNeeds) {
  const Image good = pixaroo::builder::BuildProgramImage();
  const auto nameOf = [&](std::uint32_t record) {
    const auto& code = good.At(Seg::Code).stored;
    return Get32(code, record * kRecordSize + kRecNameField);
  };
  // A name that is not a program symbol: refused before any lookup.
  Image image = good;
  PutText(image, nameOf(15), "abort");
  EXPECT_EQ(LoadRefusal(image), Refusal::NotAProgramRoutine);
  // A routine named with the binding's or an operation's prefix, and
  // records of the other roles whose names have the routine prefix.
  image = good;
  PutText(image, nameOf(15), "pixaroo_binding_BindProgram");
  EXPECT_EQ(LoadRefusal(image), Refusal::NotAProgramRoutine);
  image = good;
  PutText(image, nameOf(15), "pixaroo_operation_RegexNoOp");
  EXPECT_EQ(LoadRefusal(image), Refusal::NotAProgramRoutine);
  for (std::uint32_t role : {1U, 2U}) {
    image = good;
    Set32(image.At(Seg::Code).stored, 15 * kRecordSize + kRecRoleField, role);
    EXPECT_EQ(LoadRefusal(image), Refusal::NotAProgramRoutine) << role;
  }
  // A program name whose symbol lies outside the executable.
  EXPECT_EQ(LoadRefusal(good, Lookup({}, {"pixaroo_routine_SavePicture"})),
            Refusal::NotAProgramRoutine);
  EXPECT_EQ(LoadRefusal(good, Lookup({}, {"pixaroo_binding_BindProgram"})),
            Refusal::NotAProgramRoutine);

  // Uses: the entry offset, an event of the window, a menu entry, a routine
  // value of the code, each naming the binding or an operation; an entry of
  // the operation table naming a routine.
  for (std::uint32_t record : {19U, 20U, 25U}) {  // the binding, two operations
    image = good;
    image.entryOffset = record * kRecordSize;
    EXPECT_EQ(LoadRefusal(image), Refusal::WrongRole) << record;
  }
  auto withForm = [&](const std::function<void(form::Form&)>& change) {
    Image changed = good;
    auto form = form::ReadForm(good.At(Seg::Form).stored);
    EXPECT_TRUE(form.ok());
    change(*form);
    changed.At(Seg::Form).stored = form::WriteForm(*form);
    return LoadRefusal(changed);
  };
  for (std::uint32_t record : {19U, 20U, 25U}) {
    const std::uint32_t offset = record * kRecordSize;
    EXPECT_EQ(withForm([&](form::Form& f) {
                for (auto& u : f.units) {
                  if (u.id == 0x16010010) u.events[0].routineOffset = offset;
                }
              }),
              Refusal::WrongRole)
        << record;
    EXPECT_EQ(withForm([&](form::Form& f) {
                for (auto& u : f.units) {
                  if (u.id == 0x26011AB7) u.routineOffset = static_cast<std::int32_t>(offset);
                }
              }),
              Refusal::WrongRole)
        << record;
  }
  EXPECT_EQ(withForm([&](form::Form& f) { f.units[0].events[0].routineOffset = 0x48; }),
            Refusal::BadWindow);
  for (std::uint32_t record : {19U, 22U}) {  // the binding, an operation
    image = good;
    auto& code = image.At(Seg::Code).stored;
    for (std::uint32_t w : image.At(Seg::Code).relocations) {
      if ((w & 7) == 3) {
        Set32(code, w >> 3, record * kRecordSize);  // the exit routine
        break;
      }
    }
    EXPECT_EQ(LoadRefusal(image), Refusal::WrongRole) << record;
  }
  image = good;
  Set32(image.At(Seg::Const).stored, kOperationTableOffset + 8, 3 * kRecordSize);
  EXPECT_EQ(LoadRefusal(image), Refusal::WrongRole);
}

}  // namespace
}  // namespace korvex::image
