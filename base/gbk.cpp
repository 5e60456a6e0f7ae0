#include "base/gbk.h"

namespace base {

bool IsGbkBoundary(std::string_view s, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos && i < s.size()) i += GbkCharLength(s, i);
  return i == pos;
}

}  // namespace base
