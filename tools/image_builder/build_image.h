// The program image built from the program's own tables: its constant
// texts, window description, routine records, DLL command table, the
// runtime libraries it was built against, the operands its routines read
// (units, DLL command numbers, routine values, text places), and its global
// cells.
//
// Pure functions over constant data; any thread.
#pragma once

#include <string>
#include <vector>

#include "runtime/image/image.h"

namespace pixaroo::builder {

korvex::image::Image BuildProgramImage();

// The symbols the executable must export for the image's routine records.
std::vector<std::string> ExportedSymbols();

}  // namespace pixaroo::builder
