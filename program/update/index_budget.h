// The bounds the update run keeps the photo index within while it adds
// picture sources: no item the program could never fetch, and an index (and
// so its file) of bounded size whatever a site serves.
//
// One IndexBudget per run, used by the run's thread only.
#pragma once

#include <cstddef>

#include "base/text_ops.h"

namespace pixaroo {

// The longest item added: an address the transfers would refuse to send
// (their address cap) can never be fetched.
inline constexpr std::size_t kMaxIndexItemBytes = 8u << 10;
// The index's whole text, every item with its line end as the index file
// holds it, stays within this.
inline constexpr std::size_t kMaxIndexTextBytes = 16u << 20;
// Picture sources beyond this many in the index are not added: seven list
// pages of full item pages stay far below it.
inline constexpr std::size_t kMaxIndexItems = 100'000;

class IndexBudget {
 public:
  // True when `item` may be added (and counts it as added): it is at most
  // kMaxIndexItemBytes long, and the index stays within kMaxIndexItems
  // items and kMaxIndexTextBytes with it.
  bool Admit(const base::Text& item);

 private:
  std::size_t items_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace pixaroo
