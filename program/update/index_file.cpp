// Writing the photo index to its file when the window closes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "program/routines/event_routines.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/routines/write_failure.h"
#include "base/files.h"
#include "program/update/update.h"

namespace pixaroo {
namespace {

// The program's own folder under the user's data folder.
constexpr const char* kIndexFolder = "pixaroo";

bool FolderRefusesWrites(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

// The index in the user's data folder, and a word on stderr about where.
// The reason when it cannot go there either: `first` (why the program's
// folder refused it) when there is no usable data folder.
base::FileResult SaveIndexFileElsewhere(const base::Bytes& bytes, const base::FileError& first) {
  const std::string path = FallbackIndexFilePath();
  if (path.empty()) return first;
  if (base::FileResult made = base::MakeDirectories(path.substr(0, path.rfind('/'))); !made.ok()) {
    return made;
  }
  base::FileResult written = base::WriteFileAtomic(path, bytes);
  if (!written.ok()) return written;
  std::fprintf(stderr, "pixaroo: the program's folder cannot be written; index saved to %s\n",
               path.c_str());
  return written;
}

// No place took the index: said on stderr and in the error message window.
void SayIndexNotSaved(int error) {
  std::fprintf(stderr, "pixaroo: the index could not be saved: %s\n", std::strerror(error));
  ShowNotSaved(ImageText(texts::Id::IndexSaveTitle), ImageText(texts::Id::IndexNotSavedPrefix),
               error);
}

}  // namespace

base::Bytes IndexFileBytes(const base::TextArray& items) {
  std::string content;
  for (const base::Text& item : items) {
    content += item;
    content += ImageText(texts::Id::LineEnd);
  }
  return base::TextToBytes(content);
}

std::string IndexFilePath() {
  // The directory text ends with its separator; nothing goes between.
  return base::ProgramDirectory() + std::string(ImageText(texts::Id::IndexFileName));
}

std::string FallbackIndexFilePath() {
  const std::string data = base::UserDataDirectory();
  if (data.empty()) return {};
  return data + kIndexFolder + "/" + std::string(ImageText(texts::Id::IndexFileName));
}

void SaveIndexFile(std::int32_t, std::int32_t, std::int32_t) {
  // One snapshot: the index as it stood at one moment, even while the
  // update or its completion is still changing it.
  const base::TextArray items = rt::ListItems(units::kIndexList);
  // An empty index leaves the file of an earlier run as it is.
  if (items.empty()) return;
  // Next to the program (a portable copy) when its folder can be written,
  // else in the user's data folder. Nothing reads the file back and the
  // window closes either way, once the user has been told when no place
  // took the file; being atomic, a write never leaves a torn file.
  const base::Bytes bytes = IndexFileBytes(items);
  base::FileResult saved = base::WriteFileAtomic(IndexFilePath(), bytes);
  if (saved.ok()) return;
  if (FolderRefusesWrites(saved.error().code)) saved = SaveIndexFileElsewhere(bytes, saved.error());
  if (!saved.ok()) SayIndexNotSaved(saved.error().code);
}

}  // namespace pixaroo
