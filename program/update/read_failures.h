// The item page reads of one update run that gave no page, counted with the
// first one's reason (a read cancelled as the program closes is none), and said once on stderr when the run ends (the window
// shows nothing of them: an item page that gives no photos is no error).
//
// Owned by the update run; Note may be called from any of its fetches'
// threads at once.
#pragma once

#include <mutex>
#include <string>

#include "runtime/services/services.h"

namespace pixaroo {

class ReadFailures {
 public:
  void Note(const korvex::ReadError& error);
  int Count() const;
  // The first noted failure's text; empty when none failed.
  std::string First() const;
  // "pixaroo: N item page reads failed; the first: <reason>" on stderr,
  // nothing when every read gave a page.
  void Say() const;

 private:
  mutable std::mutex mutex_;
  int count_ = 0;
  std::string first_;
};

}  // namespace pixaroo
