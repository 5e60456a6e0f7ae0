// Files and program-location operations of the runtime. Any thread.
#pragma once

#include <string>

#include "base/bytes.h"

namespace base {

// Folder of the running executable, ending with a path separator ("/").
std::string ProgramDirectory();

// Replaces the file at `path` with `data`, atomically: the bytes go to a
// temporary file beside it, are flushed, and the temporary is renamed over
// the target. On any failure the old file is untouched, the temporary is
// removed and the result is false.
bool WriteFileAtomic(const std::string& path, const Bytes& data);

// The whole file, or empty when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

}  // namespace base
