// Writing the photo index to its file when the window closes.
#include <string>

#include "app/event_routines.h"
#include "app/program_texts.h"
#include "app/runtime_link.h"
#include "app/units.h"
#include "base/files.h"
#include "update/update.h"

namespace pixaroo {

base::Bytes IndexFileBytes(const base::TextArray& items) {
  std::string content;
  for (const base::Text& item : items) {
    content += item;
    content += texts::kLineEnd;
  }
  return base::TextToBytes(content);
}

std::string IndexFilePath() {
  // The directory text ends with its separator; nothing goes between.
  return base::ProgramDirectory() + std::string(texts::kIndexFileName);
}

void SaveIndexFile(std::int32_t, std::int32_t, std::int32_t) {
  // An empty index leaves the file of an earlier run as it is.
  if (rt::ListCount(units::kIndexList) == 0) return;
  const int count = rt::ListCount(units::kIndexList);
  base::TextArray items;
  items.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    items.push_back(rt::ListItem(units::kIndexList, i));
  }
  // Nothing reads the file back and the window closes either way, so a
  // failed write is not reported; being atomic, it never leaves a torn file.
  static_cast<void>(base::WriteFileAtomic(IndexFilePath(), IndexFileBytes(items)));
}

}  // namespace pixaroo
