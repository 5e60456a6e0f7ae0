// Writing the photo index to its file when the window closes.
#include <cerrno>
#include <cstdio>
#include <string>

#include "program/routines/event_routines.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
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
void SaveIndexFileElsewhere(const base::Bytes& bytes) {
  const std::string path = FallbackIndexFilePath();
  if (path.empty() || !base::MakeDirectories(path.substr(0, path.rfind('/')))) return;
  if (base::WriteFileAtomic(path, bytes)) {
    std::fprintf(stderr, "pixaroo: the program's folder cannot be written; index saved to %s\n",
                 path.c_str());
  }
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
  // window closes either way; being atomic, a write never leaves a torn file.
  const base::Bytes bytes = IndexFileBytes(items);
  int error = 0;
  if (base::WriteFileAtomic(IndexFilePath(), bytes, &error)) return;
  if (FolderRefusesWrites(error)) SaveIndexFileElsewhere(bytes);
}

}  // namespace pixaroo
