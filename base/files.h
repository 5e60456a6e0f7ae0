// Files and program-location operations of the runtime. Any thread.
//
// File names come in two spellings: the program's texts are GBK, the file
// system's names are UTF-8. The two conversions below are the only place
// where one becomes the other; the functions that touch files take the file
// system's spelling.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/error_or.h"

namespace base {

// The file system's name for the program's text `text` (GBK, up to its first
// NUL). Empty when the text holds bytes GBK cannot read: no file is named
// after a guess.
std::string FileNameFromText(std::string_view text);

// The program's text for the file system's name `name`. A character GBK
// lacks becomes "?"; `*exact` (when given) tells whether the text spells the
// name exactly, so that FileNameFromText gives it back.
std::string TextFromFileName(std::string_view name, bool* exact = nullptr);

// Why a file could not be written or a folder made: the errno value of the
// step that failed (EACCES, ENOSPC, ENOTDIR, ...).
struct FileError {
  int code = 0;
};
using FileResult = ErrorOr<Done, FileError>;

// Folder of the running executable, ending with a path separator ("/").
std::string ProgramDirectory();

// Replaces the file at `path` with `data`, atomically: the bytes go to a
// temporary file beside it, are flushed, and the temporary is renamed over
// the target. On any failure the old file is untouched, the temporary is
// removed and the result is the errno value of the step that failed
// (ENOENT for an empty path).
FileResult WriteFileAtomic(const std::string& path, const Bytes& data);

// The user's data folder: $XDG_DATA_HOME when it names an absolute path,
// else $HOME/.local/share when $HOME is absolute; ends with '/'. Empty when
// neither is usable (a relative path is no place at all).
std::string UserDataDirectory();

// Creates `path` and its missing parents, each private to the user (mode
// 0700); folders already there are left as they are. Done when the folder
// exists afterwards; otherwise the reason: the errno of the folder that
// could not be made, or ENOTDIR when something else is there.
FileResult MakeDirectories(const std::string& path);

// The whole file, or empty when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

// Test seam: the system calls WriteFileAtomic makes, one table. A test
// installs its own (every entry set) to see the order of write, fsync and
// rename or to make one of them fail, much as a fault-injecting file system
// would; nullptr puts the real calls back. Install only while no write is
// running on another thread.
struct FileSystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};
// The real calls, for a test table to pass on to.
const FileSystemCalls& RealFileSystemCalls();
void SetFileSystemCallsForTesting(const FileSystemCalls* calls);

}  // namespace base
