// Build tool: writes the main window's description to the file named by its
// one argument, so that the bytes can be inspected and checked.
#include <cstdio>

#include "runtime/form/writer.h"
#include "runtime/text/files.h"
#include "ui/main_window_form.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const korvex::Bytes bytes = korvex::form::WriteForm(pixaroo::MainWindowForm());
  if (!korvex::WriteFileAtomic(argv[1], bytes)) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
