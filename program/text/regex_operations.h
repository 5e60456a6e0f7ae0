// The regular-expression object's operations as its operation table names
// them, and the object as the program uses it: through that table.
//
// The image's `const` holds the table (runtime/image/FORMAT.md): one word
// per operation, in the order of RegexOp, each naming the routine record of
// an operation defined here, which the executable exports under the
// record's name. Every operation has one calling convention, so that the
// table alone decides which one runs: `self` is the object's storage and
// `call` carries what the operation takes and gives back.
//
// Threads: as RegexMatcher: an object is made, used and destroyed on one
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_ops.h"
#include "program/text/regex_matcher.h"

namespace pixaroo {

// The operations, in the table's order.
enum class RegexOp : std::uint32_t {
  Destroy,         // ends the object
  Copy,            // makes the object in `self` a copy of `source`
  Search,          // pattern, subject, caseSensitive, multiline, global -> flag
  NoOp,            // no arguments, result or effect
  PatternText,     // -> text
  ReplaceMatches,  // replacement -> text
  MatchCount,      // -> number
  MatchText,       // matchIndex, position -> text
  SubMatchText,    // matchIndex, subIndex, position -> text
  SubMatchCount,   // -> number
};
inline constexpr std::size_t kRegexOpCount = 10;

// What one call of an operation takes (each operation reads the fields its
// line above names) and gives back.
struct RegexCall {
  const RegexMatcher* source = nullptr;
  std::string_view pattern;
  std::string_view subject;
  bool caseSensitive = false;
  bool multiline = true;
  bool global = true;
  std::string_view replacement;
  int matchIndex = 0;
  int subIndex = 0;
  int* position = nullptr;  // optional out-parameter
  bool flag = false;
  int number = 0;
  base::Text text;
};

using RegexOperation = void (*)(RegexMatcher* self, RegexCall* call);

// The ten operations; Copy takes storage without an object in it.
void RegexDestroy(RegexMatcher* self, RegexCall* call);
void RegexCopy(RegexMatcher* self, RegexCall* call);
void RegexSearch(RegexMatcher* self, RegexCall* call);
void RegexNoOp(RegexMatcher* self, RegexCall* call);
void RegexPatternText(RegexMatcher* self, RegexCall* call);
void RegexReplaceMatches(RegexMatcher* self, RegexCall* call);
void RegexMatchCount(RegexMatcher* self, RegexCall* call);
void RegexMatchText(RegexMatcher* self, RegexCall* call);
void RegexSubMatchText(RegexMatcher* self, RegexCall* call);
void RegexSubMatchCount(RegexMatcher* self, RegexCall* call);

// The operation whose routine record has `name` after its role's prefix
// ("RegexSearch"), or null.
RegexOperation RegexOperationNamed(std::string_view name);

// A regular-expression object as batch extraction uses it: made here
// (making is not in the table), and from then on reached only through the
// operation table of the bound image, its destruction included.
class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  bool Search(std::string_view pattern, std::string_view subject);
  int MatchCount();
  base::Text SubMatchText(int matchIndex, int subIndex);

 private:
  void Call(RegexOp op, RegexCall& call);

  alignas(RegexMatcher) unsigned char storage_[sizeof(RegexMatcher)];
};

}  // namespace pixaroo
