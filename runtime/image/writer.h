// Writing a program image in its stored layout (FORMAT.md).
//
// Pure function; any thread. The writer lays the tables out as given and
// computes every offset and size itself (segment header offsets, stored
// offsets, the header's segment table, the image size); `@reloc1`'s bytes
// come from the fix-up lists, declared four bytes short as the layout has it.
#pragma once

#include "base/bytes.h"
#include "runtime/image/image.h"

namespace korvex::image {

base::Bytes WriteImage(const Image& image);

}  // namespace korvex::image
