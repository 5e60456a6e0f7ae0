// Build tool: writes the main window's description to the file named by its
// first argument, so that the bytes can be inspected and checked, and, when a
// second argument is given, a C++ source that carries the same bytes into
// the executable (EmbeddedForm()).
#include <cstdio>
#include <string>

#include "base/bytes.h"
#include "base/files.h"
#include "runtime/form/writer.h"
#include "ui/main_window_form.h"

namespace {

std::string EmbeddingSource(const base::Bytes& bytes) {
  std::string out =
      "// Written by the build (tools/form_writer): the main window's description.\n"
      "#include \"program/embedded_form.h\"\n\n"
      "namespace pixaroo {\nnamespace {\n\nconstexpr std::uint8_t kBytes[] = {";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += (i % 16 == 0) ? "\n    " : " ";
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X,", bytes[i]);
    out += b;
  }
  out +=
      "\n};\n\n}  // namespace\n\nstd::span<const std::uint8_t> EmbeddedForm() { return kBytes; "
      "}\n\n"
      "}  // namespace pixaroo\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s FORM_BIN [EMBEDDED_SOURCE]\n", argv[0]);
    return 2;
  }
  const base::Bytes bytes = korvex::form::WriteForm(pixaroo::MainWindowForm());
  if (!base::WriteFileAtomic(argv[1], bytes)) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  if (argc == 3 && !base::WriteFileAtomic(argv[2], base::TextToBytes(EmbeddingSource(bytes)))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
