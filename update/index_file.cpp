// Writing the photo index to its file when the window closes.
#include <string>

#include "app/event_routines.h"
#include "app/program_memory.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "base/files.h"
#include "update/update.h"

namespace pixaroo {

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

void SaveIndexFile(std::int32_t, std::int32_t, std::int32_t) {
  // One snapshot: the index as it stood at one moment, even while the
  // update or its completion is still changing it.
  const base::TextArray items = rt::ListItems(units::kIndexList);
  // An empty index leaves the file of an earlier run as it is.
  if (items.empty()) return;
  // Nothing reads the file back and the window closes either way, so a
  // failed write is not reported; being atomic, it never leaves a torn file.
  static_cast<void>(base::WriteFileAtomic(IndexFilePath(), IndexFileBytes(items)));
}

}  // namespace pixaroo
