// The program's image, written by the builder and read back by the runtime's
// reader: every table comes back field for field, and the loader binds it.
// (read_image.py checks the written bytes against the layout itself.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/dll_commands.h"
#include "runtime/image/program_loader.h"
#include "runtime/image/reader.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/program_image.h"

namespace korvex::image {
namespace {

TEST(ImageRoundTrip, EveryTableComesBackAsBuilt) {
  const Image built = pixaroo::builder::BuildProgramImage();
  const base::Bytes bytes = WriteImage(built);
  const auto read = ReadImage(bytes);
  ASSERT_TRUE(read.ok()) << RefusalName(read.refusal) << ": " << read.detail;
  const Image& r = *read.value;
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
void* g_boundVar = nullptr;
void Bind(const Services* s, void* var) {
  g_boundServices = s;
  g_boundVar = var;
}
void Routine(std::int32_t, std::int32_t, std::int32_t) {}

TEST(ImageRoundTrip, TheLoaderBindsRecordsByNameAndHandsOverVar) {
  const auto read = ReadImage(WriteImage(pixaroo::builder::BuildProgramImage()));
  ASSERT_TRUE(read.ok());
  std::vector<std::string> asked;
  auto loaded = LoadProgram(*read.value, [&](const std::string& name) -> void* {
    asked.push_back(name);
    if (name == "pixaroo_BindProgram") return reinterpret_cast<void*>(&Bind);
    return reinterpret_cast<void*>(&Routine);
  });
  ASSERT_TRUE(loaded.ok()) << loaded.detail;
  // Each record's name is looked up once, in record order.
  ASSERT_EQ(asked, pixaroo::builder::ExportedSymbols());
  LoadedProgram& p = **loaded.value;
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
  ASSERT_EQ(g_boundVar, p.Var());
  const auto* var = static_cast<const std::uint8_t*>(g_boundVar);
  for (std::size_t i = 0; i < 0x28; ++i) EXPECT_EQ(var[i], 0) << i;
}

}  // namespace
}  // namespace korvex::image
