// A test program for the runtime: the real entry and exit routines and
// window description, with every other routine replaced by a recorder that
// logs its code offset (or runs a hook the test installs for that offset).
// The program is bound to the memory of the image the builder writes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "program/routines/routine_ids.h"
#include "base/bytes.h"
#include "runtime/core/runtime.h"

namespace pixaroo::testing {

struct Call {
  std::uint32_t offset;
  std::int32_t a, b, c;
};

class TestProgram {
 public:
  TestProgram();
  ~TestProgram();

  // Replaces the recorder of one routine; the hook runs after the call is
  // logged. Hooks may run on any thread.
  void Hook(Routine routine, std::function<void()> hook);
  // From now on the routine's offset names no routine, as in a damaged image.
  void Remove(Routine routine);
  std::vector<Call> Calls() const;
  std::vector<std::uint32_t> Offsets() const;
  bool ExitRoutineRan() const { return exitRan_; }

  korvex::Program Program();
  base::Bytes& FormBytes() { return form_; }

 private:
  base::Bytes form_;
  bool exitRan_ = false;
};

}  // namespace pixaroo::testing
