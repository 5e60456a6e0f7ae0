// The program image this executable carries, handed to the runtime as is.
#pragma once

namespace pixaroo {

// The image's first byte. Valid for the life of the process.
const void* ProgramImage();

}  // namespace pixaroo
