// The program's image, written by the builder and read back by the runtime's
// reader: every table comes back field for field, and the loader binds it.
// (read_image.py checks the written bytes against the layout itself.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "program/routines/dll_calls.h"
#include "program/routines/program_texts.h"
#include "runtime/form/reader.h"
#include "runtime/image/executable_symbols.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/build_image.h"

namespace korvex::image {
namespace {

TEST(ImageRoundTrip, EveryTableComesBackAsBuilt) {
  const Image built = pixaroo::builder::BuildProgramImage();
  const base::Bytes bytes = WriteImage(built);
  const auto read = ReadImage(bytes);
  ASSERT_TRUE(read.ok()) << RefusalName(read.error().refusal) << ": " << read.error().detail;
  const Image& r = *read;
  EXPECT_EQ(r.imageSize, bytes.size());
  EXPECT_EQ(r.word28, built.word28);
  EXPECT_EQ(r.word2C, built.word2C);
  EXPECT_EQ(r.entryOffset, built.entryOffset);
  EXPECT_EQ(r.libraries, built.libraries);
  ASSERT_EQ(r.dllCommands.size(), pixaroo::kDllCommands.size());
  for (std::size_t i = 0; i < r.dllCommands.size(); ++i) {
    EXPECT_EQ(r.dllCommands[i].fileOffset, built.dllCommands[i].fileOffset);
    EXPECT_EQ(r.dllCommands[i].functionOffset, built.dllCommands[i].functionOffset);
    EXPECT_EQ(r.dllCommands[i].file, pixaroo::kDllCommands[i].file) << i;
    EXPECT_EQ(r.dllCommands[i].function, pixaroo::kDllCommands[i].function) << i;
  }
  for (std::size_t i = 0; i < kSegmentCount; ++i) {
    const Segment& a = built.segments[i];
    const Segment& b = r.segments[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.flags, a.flags);
    EXPECT_EQ(b.relocations, a.relocations) << a.name;
    if (static_cast<Seg>(i) != Seg::Reloc) {
      EXPECT_EQ(b.memorySize, a.memorySize) << a.name;
      EXPECT_EQ(b.stored, a.stored) << a.name;
    }
  }
  EXPECT_EQ(r.fixups, built.fixups);
}

const Services* g_boundServices = nullptr;
ProgramMemory g_bound;
void Bind(const Services* s, const ProgramMemory& memory) {
  g_boundServices = s;
  g_bound = memory;
}
const ProgramBinding kBinding = {0x28, &Bind};
void Routine(std::int32_t, std::int32_t, std::int32_t) {}
// Stand-ins for the ten operations, one byte each, by name order.
char g_operations[10];

std::uint32_t Word(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

TEST(ImageRoundTrip, TheLoaderBindsRecordsByNameAndHandsOverTheImagesMemory) {
  const auto read = ReadImage(WriteImage(pixaroo::builder::BuildProgramImage()));
  ASSERT_TRUE(read.ok());
  std::vector<std::string> asked;
  auto loaded = LoadProgram(
      *read,
      [&](const std::string& name) -> void* {
        asked.push_back(name);
        if (name == "pixaroo_binding_BindProgram") return const_cast<ProgramBinding*>(&kBinding);
        if (name.starts_with("pixaroo_operation_")) {
          const std::size_t n = static_cast<std::size_t>(std::count_if(
              asked.begin(), asked.end(),
              [](const std::string& a) { return a.starts_with("pixaroo_operation_"); }));
          return n <= 10 ? &g_operations[n - 1] : nullptr;
        }
        return reinterpret_cast<void*>(&Routine);
      },
      &InExecutable);
  ASSERT_TRUE(loaded.ok()) << loaded.error().detail;
  // Each record's name is looked up once, in record order.
  ASSERT_EQ(asked, pixaroo::builder::ExportedSymbols());
  LoadedProgram& p = **loaded;
  const korvex::Program program = p.Program();
  EXPECT_EQ(program.entryOffset, 0x40U);
  EXPECT_EQ(program.routineAt(0), &Routine);  // offset 0: the do-nothing routine
  EXPECT_EQ(program.routineAt(0x40), &Routine);
  EXPECT_EQ(program.routineAt(0x44), nullptr);
  EXPECT_EQ(program.routineAt(19 * 0x40), nullptr);  // the binding is not a routine
  EXPECT_EQ(program.routineAt(20 * 0x40), nullptr);  // nor is an object operation
  EXPECT_EQ(program.routineAt(30 * 0x40), nullptr);  // the end record
  ASSERT_EQ(program.dllCommands.size(), 26U);
  EXPECT_STREQ(program.dllCommands[6].file, "");
  EXPECT_STREQ(program.dllCommands[21].function, "HttpSendRequestA");
  EXPECT_EQ(program.form.size(), 0xC29U);

  const Services services{};
  program.bindServices(&services);
  EXPECT_EQ(g_boundServices, &services);
  ASSERT_EQ(g_bound.var, p.Var());
  const auto* var = static_cast<const std::uint8_t*>(g_bound.var);
  for (std::size_t i = 0; i < 0x28; ++i) EXPECT_EQ(var[i], 0) << i;
  const base::Bytes& constSeg = read->At(Seg::Const).stored;
  ASSERT_EQ(g_bound.constSize, constSeg.size());
  EXPECT_EQ(0, std::memcmp(g_bound.constants, constSeg.data(), constSeg.size()));
  // The operand block: 16 units, 26 DLL command numbers, 4 routine values,
  // a place for each of the program's texts, and nothing after them.
  const std::uint8_t* o = g_bound.operands;
  std::size_t at = 0;
  const auto textCount = static_cast<std::uint32_t>(pixaroo::texts::kAll.size());
  for (auto [count, width] :
       {std::pair{16U, 12U}, {26U, 4U}, {4U, 4U}, {textCount, 4U}}) {
    ASSERT_LE(at + 4, g_bound.operandSize);
    EXPECT_EQ(Word(o + at), count);
    at += 4 + count * width;
  }
  EXPECT_EQ(at, g_bound.operandSize);
  // The operation table, bound: its words name the ten operations' records
  // in the order of the object's operations.
  ASSERT_EQ(g_bound.operationCount, 10U);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(g_bound.operations[i], &g_operations[i]) << i;
}

// The text at a place in `const`.
std::string ConstText(const Image& image, std::uint32_t place) {
  const base::Bytes& c = image.At(Seg::Const).stored;
  std::string text;
  while (place < c.size() && c[place] != 0) text += static_cast<char>(c[place++]);
  return text;
}
std::string RecordName(const Image& image, std::uint32_t offset) {
  return ConstText(image, Word(image.At(Seg::Code).stored.data() + offset));
}

// From the header to what runs and what it writes, through the image's own
// tables only: the entry offset names the entry routine's record; 按钮1's
// click names the update's record, and the update's first status text and
// the index file's name are the texts the text operands name.
TEST(ImageRoundTrip, TheImagesTablesLeadToTheRoutinesAndTexts) {
  const auto read = ReadImage(WriteImage(pixaroo::builder::BuildProgramImage()));
  ASSERT_TRUE(read.ok());
  const Image& image = *read;
  EXPECT_EQ(RecordName(image, image.entryOffset), "pixaroo_routine_EntryRoutine");
  const auto form = form::ReadForm(image.At(Seg::Form).stored);
  ASSERT_TRUE(form.ok());
  const form::Unit* button = form->FindUnit(0x16010010);
  ASSERT_NE(button, nullptr);
  ASSERT_EQ(button->events.size(), 1U);
  EXPECT_EQ(RecordName(image, button->events[0].routineOffset), "pixaroo_routine_StartUpdate");
  // The operand block follows the end record (the first name 0xFFFFFFFF).
  const base::Bytes& code = image.At(Seg::Code).stored;
  std::uint32_t at = 0;
  while (Word(code.data() + at) != 0xFFFFFFFF) at += 0x40;
  at += 0x40;
  for (std::uint32_t width : {12U, 4U, 4U}) at += 4 + Word(code.data() + at) * width;
  const std::uint32_t texts = Word(code.data() + at);
  ASSERT_EQ(texts, pixaroo::texts::kAll.size());
  auto text = [&](pixaroo::texts::Id id) {
    return ConstText(image, Word(code.data() + at + 4 + 4 * static_cast<std::uint32_t>(id)));
  };
  using pixaroo::texts::Id;
  // "正在更新····", the first status text the update writes.
  EXPECT_EQ(text(Id::StatusUpdating),
            "\xD5\xFD\xD4\xDA\xB8\xFC\xD0\xC2\xA1\xA4\xA1\xA4\xA1\xA4\xA1\xA4");
  // What the index file is made of: "#分割符#", "confi.ini", "\r\n".
  EXPECT_EQ(text(Id::IndexSeparator), "#\xB7\xD6\xB8\xEE\xB7\xFB#");
  EXPECT_EQ(text(Id::IndexFileName), "confi.ini");
  EXPECT_EQ(text(Id::LineEnd), "\r\n");
}

}  // namespace
}  // namespace korvex::image
