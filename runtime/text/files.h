// Files and program-location operations of the runtime. Any thread.
//
// File names come in two spellings: the program's texts are GBK, the file
// system's names are UTF-8. The two conversions below are the only place
// where one becomes the other; the functions that touch files take the file
// system's spelling.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/bytes.h"

namespace korvex {

// The file system's name for the program's text `text` (GBK, up to its first
// NUL). Empty when the text holds bytes GBK cannot read: no file is named
// after a guess.
std::string FileNameFromText(std::string_view text);

// The program's text for the file system's name `name`. A character GBK
// lacks becomes "?"; `*exact` (when given) tells whether the text spells the
// name exactly, so that FileNameFromText gives it back.
std::string TextFromFileName(std::string_view name, bool* exact = nullptr);

// Folder of the running executable, ending with a path separator ("/").
std::string ProgramDirectory();

// Replaces the file at `path` with `data`, atomically: the bytes go to a
// temporary file beside it, are flushed, and the temporary is renamed over
// the target. On any failure the old file is untouched, the temporary is
// removed and the result is false.
bool WriteFileAtomic(const std::string& path, const Bytes& data);

// The whole file, or empty when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

}  // namespace korvex
