// The matching engine under the "VBScript.RegExp" component: PCRE2 on UTF-16
// texts (UTF mode, JIT when available), set up for the ECMAScript dialect the
// component speaks:
//   - "." matches any character but the line feed;
//   - without multiline, "^" and "$" match only at the ends of the subject;
//     with it, also at line feeds;
//   - a global search collects every match from left to right, stepping one
//     character on after an empty match; otherwise only the first is kept;
//   - a group that did not take part reads as unset.
//
// Every search is bounded: a match limit and a heap limit per PCRE2 call, and
// a cap on the offsets a match set may store. Hitting a bound fails the whole
// search. A CompiledPattern is immutable after Compile; match sets are
// immutable and shared by the objects that read them. Any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

// The component's error for a pattern that does not compile.
inline constexpr HRESULT kRegExpSyntaxError = static_cast<HRESULT>(0x800A1399);

struct RegexOptions {
  bool ignoreCase = false;
  bool multiline = false;
};

// Every match of one search: for match m, group g (0 = whole match), the
// start and end offsets (UTF-16 units) are offsets[(m * groupSlots + g) * 2]
// and the unit after it; kUnset marks a group that did not take part.
struct MatchSet {
  static constexpr std::uint32_t kUnset = 0xFFFFFFFFu;
  std::shared_ptr<const std::u16string> subject;
  std::uint32_t groupSlots = 1;  // groups + 1
  std::vector<std::uint32_t> offsets;

  std::size_t MatchCount() const { return offsets.size() / (2 * groupSlots); }
  std::uint32_t Start(std::size_t m, std::uint32_t g) const {
    return offsets[(m * groupSlots + g) * 2];
  }
  std::uint32_t End(std::size_t m, std::uint32_t g) const {
    return offsets[(m * groupSlots + g) * 2 + 1];
  }
  // The text of group g of match m; empty when unset.
  std::u16string_view Text(std::size_t m, std::uint32_t g) const;
};

class CompiledPattern {
 public:
  ~CompiledPattern();
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;

  // Null (and kRegExpSyntaxError in *error) when the pattern does not compile.
  static std::unique_ptr<CompiledPattern> Compile(std::u16string_view pattern, RegexOptions options,
                                                  HRESULT* error);

  // Finds the matches in `subject` (all of them when `global`).
  HRESULT FindAll(std::shared_ptr<const std::u16string> subject, bool global,
                  std::shared_ptr<const MatchSet>* out) const;

 private:
  struct Handles;
  explicit CompiledPattern(std::unique_ptr<Handles> h);
  std::unique_ptr<Handles> h_;
};

// `subject` with every match of `matches` replaced by `replacement`, where
// $1..$99 stand for a group, $& for the match, $` and $' for the text before
// and after it, and $$ for "$". A "$" in any other place stands for itself.
// E_OUTOFMEMORY when the result would pass kMaxReplaceUnits.
inline constexpr std::size_t kMaxReplaceUnits = std::size_t{64} << 20;
HRESULT ExpandReplacement(const MatchSet& matches, std::u16string_view replacement,
                          std::u16string* out);

}  // namespace com
