// Build tool: writes the program image to the file named by its first
// argument (pixaroo.img, for inspection), a C++ source that carries the same
// bytes into the executable (its second argument), and the list of symbols
// the executable exports for the image's routine records (its third).
#include <cstdio>
#include <string>

#include "base/bytes.h"
#include "base/files.h"
#include "runtime/image/writer.h"
#include "tools/image_builder/build_image.h"

namespace {

std::string EmbeddingSource(const base::Bytes& bytes) {
  std::string out =
      "// Written by the build (tools/image_builder): the program image.\n"
      "#include <cstdint>\n\n#include \"program/exports/embedded_image.h\"\n\n"
      "namespace pixaroo {\nnamespace {\n\n"
      "// Aligned like the runtime's 32-bit fields.\n"
      "alignas(16) constexpr std::uint8_t kImage[] = {";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += (i % 16 == 0) ? "\n    " : " ";
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X,", bytes[i]);
    out += b;
  }
  out +=
      "\n};\n\n}  // namespace\n\nconst void* ProgramImage() { return kImage; }\n\n"
      "}  // namespace pixaroo\n";
  return out;
}

std::string DynamicList() {
  std::string out = "{\n";
  for (const std::string& name : pixaroo::builder::ExportedSymbols()) out += "  " + name + ";\n";
  return out + "};\n";
}

bool Write(const char* tool, const char* path, const base::Bytes& bytes) {
  if (base::WriteFileAtomic(path, bytes).ok()) return true;
  std::fprintf(stderr, "%s: cannot write %s\n", tool, path);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s IMAGE EMBEDDED_SOURCE EXPORT_LIST\n", argv[0]);
    return 2;
  }
  const base::Bytes image = korvex::image::WriteImage(pixaroo::builder::BuildProgramImage());
  const bool ok = Write(argv[0], argv[1], image) &&
                  Write(argv[0], argv[2], base::TextToBytes(EmbeddingSource(image))) &&
                  Write(argv[0], argv[3], base::TextToBytes(DynamicList()));
  return ok ? 0 : 1;
}
