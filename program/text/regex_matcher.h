// RegexMatcher: one regular-expression search at a time over a GBK text,
// through the platform's "VBScript.RegExp" component, reached only through
// the runtime's automation-object commands.
//
// Owns: the component of the last Search (`engine`), its match collection
// (`matches`) and a copy of the subject (`subject`); a new Search replaces
// all three. Matches and groups are numbered from 1.
//
// Threads: the object owns its thread's COM use. Construction initialises
// COM on the calling thread and destruction ends that use, after every
// component reference is released; so an object must be made, used and
// destroyed on one thread. A copy holds its own references to the same
// component and match collection and its own copy of the subject; it
// initialises COM on its thread as a construction does, so that its
// destruction, which ends that use, stays paired. Assignment is forbidden.
#pragma once

#include <cstddef>
#include <string_view>

#include "program/routines/automation_object.h"
#include "base/text_ops.h"

namespace pixaroo {

using base::Text;

class RegexMatcher {
 public:
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher& other);
  RegexMatcher& operator=(const RegexMatcher&) = delete;

  // Runs `pattern` over `subject` in a new component. Letter case is ignored
  // unless `caseSensitive`; `multiline` makes "^" and "$" match at line
  // feeds; `global` collects every match, not only the first. True when the
  // component gave a match collection (also an empty one); false when the
  // component could not be made or the pattern does not compile.
  bool Search(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
              bool multiline = true, bool global = true);
  // The component's pattern; empty before the first Search.
  Text PatternText() const;
  // The subject with the matches of the last pattern replaced ($1.., $&, $`,
  // $', $$ in `replacement`); empty without a successful Search.
  Text ReplaceMatches(std::string_view replacement = {}) const;
  // Number of matches of the last Search; 0 when it failed or never ran.
  int MatchCount() const;
  // The text of match `matchIndex`, the subject's own bytes; `position`,
  // when given, receives the match's 0-based byte position in the subject
  // (-1 when there is no match).
  Text MatchText(int matchIndex, int* position = nullptr) const;
  // The text of group `subIndex` of match `matchIndex` (empty when the group
  // did not take part), the subject's own bytes at the first place in its
  // match where the group's text stands; `position`, when given, receives
  // the 0-based byte position of that place in the subject (the match's for
  // an empty group; -1 when there is no such match).
  Text SubMatchText(int matchIndex, int subIndex, int* position = nullptr) const;
  // Number of groups of the pattern, read from the first match; 0 without one.
  int SubMatchCount() const;

 private:
  // Where a match lies in `subject`: 0-based byte position (-1 without a
  // match) and byte length.
  struct ByteSpan {
    int start = -1;
    std::size_t length = 0;
  };
  ByteSpan MatchSpan(const AutoObject& match) const;

  AutoObject engine;
  AutoObject matches;
  Text subject;
  // A character of `subject` and its byte offset, where the last walk ended.
  struct Place {
    int chars = 0;
    std::size_t bytes = 0;
  };
  mutable Place walked;
};

}  // namespace pixaroo
