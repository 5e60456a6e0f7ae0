// Build tool: writes the main window's description to the file named by its
// argument, so that the bytes can be inspected and checked. (The executable
// carries them in its program image: tools/image_builder.)
#include <cstdio>

#include "base/bytes.h"
#include "base/files.h"
#include "runtime/form/writer.h"
#include "program/pages/main_window_form.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FORM_BIN\n", argv[0]);
    return 2;
  }
  const base::Bytes bytes = korvex::form::WriteForm(pixaroo::MainWindowForm());
  if (!base::WriteFileAtomic(argv[1], bytes).ok()) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
