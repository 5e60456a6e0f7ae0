// Files and program-location operations of the runtime. Any thread.
#pragma once

#include <sys/types.h>

#include <cstddef>
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
