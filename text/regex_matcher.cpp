#include "text/regex_matcher.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/com/com.h"
#include "runtime/text/gbk.h"

namespace pixaroo {
namespace {

constexpr std::string_view kProgId = "VBScript.RegExp";

// A number read from the component, cut to an integer (NaN and values out of
// range give 0).
int CutToInt(double v) {
  if (!(v > std::numeric_limits<int>::min() - 1.0 && v < std::numeric_limits<int>::max() + 1.0)) {
    return 0;
  }
  return static_cast<int>(std::trunc(v));
}

// Byte offset of character number `charIndex` (0-based) of a GBK text (its
// length when the text has fewer characters).
std::size_t ByteOffsetOfChar(std::string_view text, int charIndex) {
  std::size_t i = 0;
  for (int n = 0; n < charIndex && i < text.size(); ++n) i += korvex::GbkCharLength(text, i);
  return i;
}

// Number of characters in the first `bytes` bytes of a GBK text.
int CharCount(std::string_view text, std::size_t bytes = std::string_view::npos) {
  const std::size_t end = std::min(bytes, text.size());
  int n = 0;
  for (std::size_t i = 0; i < end; i += korvex::GbkCharLength(text, i)) ++n;
  return n;
}

}  // namespace

RegexMatcher::RegexMatcher() { (void)com::CoInitialize(nullptr); }

RegexMatcher::~RegexMatcher() {
  korvex::ReleaseObject(matches);
  korvex::ReleaseObject(engine);
  subject.clear();
  com::CoUninitialize();
}

bool RegexMatcher::Search(std::string_view pattern, std::string_view subjectText,
                          bool caseSensitive, bool multiline, bool global) {
  korvex::ReleaseObject(engine);
  korvex::CreateObject(engine, kProgId);
  korvex::WriteProperty(engine, "IgnoreCase", !caseSensitive);
  korvex::WriteProperty(engine, "Multiline", multiline);
  // The component has no such member; the write is refused and changes nothing.
  korvex::WriteProperty(engine, "Singleline", true);
  korvex::WriteProperty(engine, "Global", global);
  korvex::WriteProperty(engine, "Pattern", pattern);
  korvex::Object found = korvex::CallObjectMethod(engine, "Execute", subjectText);
  korvex::ReleaseObject(matches);
  matches = std::move(found);
  subject = Text(subjectText);
  walked = {};
  return !korvex::IsObjectEmpty(matches);
}

Text RegexMatcher::PatternText() const {
  if (korvex::IsObjectEmpty(engine)) return {};
  return korvex::ReadTextProperty(engine, "Pattern");
}

Text RegexMatcher::ReplaceMatches(std::string_view replacement) const {
  return korvex::CallTextMethod(engine, "Replace", subject, replacement);
}

int RegexMatcher::MatchCount() const {
  return CutToInt(korvex::ReadNumberProperty(matches, "Count"));
}

RegexMatcher::ByteSpan RegexMatcher::MatchSpan(const korvex::Object& match) const {
  if (korvex::IsObjectEmpty(match)) return {};
  // The component counts characters, one per GBK character of the subject.
  const int first = CutToInt(korvex::ReadNumberProperty(match, "FirstIndex"));
  const int length = CutToInt(korvex::ReadNumberProperty(match, "Length"));
  if (first < 0 || length < 0) return {};
  // Matches are mostly read left to right: walk on from the last place.
  if (first < walked.chars) walked = {};
  walked.bytes +=
      ByteOffsetOfChar(std::string_view(subject).substr(walked.bytes), first - walked.chars);
  walked.chars = first;
  const std::size_t start = walked.bytes;
  const std::size_t end = start + ByteOffsetOfChar(std::string_view(subject).substr(start), length);
  return {static_cast<int>(start), end - start};
}

Text RegexMatcher::MatchText(int matchIndex, int* position) const {
  korvex::Object match = korvex::ReadObjectProperty(matches, "Item", matchIndex - 1);
  const ByteSpan span = MatchSpan(match);
  korvex::ReleaseObject(match);
  if (position != nullptr) *position = span.start;
  return span.start < 0 ? Text()
                        : subject.substr(static_cast<std::size_t>(span.start), span.length);
}

Text RegexMatcher::SubMatchText(int matchIndex, int subIndex, int* position) const {
  korvex::Object match = korvex::ReadObjectProperty(matches, "Item", matchIndex - 1);
  korvex::Object groups = korvex::ReadObjectProperty(match, "SubMatches");
  korvex::AutoVariant item = korvex::ReadVariantProperty(groups, "Item", subIndex - 1);
  // The component's own texts have been through its character conversion
  // (a byte it cannot read comes back as "?"); they only tell where the
  // group stands, and its bytes are taken from the subject.
  const Text converted = korvex::VariantToText(item);
  const Text convertedMatch = korvex::ReadTextProperty(match, "Value");
  const ByteSpan span = MatchSpan(match);
  korvex::ReleaseVariant(item);
  korvex::ReleaseObject(groups);
  korvex::ReleaseObject(match);

  int start = span.start;  // an empty group stands at the start of its match
  Text value;
  if (span.start >= 0 && !converted.empty()) {
    // Where the group's text first stands in its match, in characters; the
    // converted texts hold one character for each of the subject's.
    const int found = korvex::Find(convertedMatch, converted);
    if (found < 0) {
      start = -1;
    } else {
      const std::string_view matched =
          std::string_view(subject).substr(static_cast<std::size_t>(span.start), span.length);
      const std::size_t from =
          ByteOffsetOfChar(matched, CharCount(convertedMatch, static_cast<std::size_t>(found - 1)));
      const std::size_t length = ByteOffsetOfChar(matched.substr(from), CharCount(converted));
      start = span.start + static_cast<int>(from);
      value = Text(matched.substr(from, length));
    }
  }
  if (position != nullptr) *position = start;
  return value;
}

int RegexMatcher::SubMatchCount() const {
  korvex::Object match = korvex::ReadObjectProperty(matches, "Item", 0);
  korvex::Object groups = korvex::ReadObjectProperty(match, "SubMatches");
  const int count = CutToInt(korvex::ReadNumberProperty(groups, "Count"));
  korvex::ReleaseObject(groups);
  korvex::ReleaseObject(match);
  return count;
}

}  // namespace pixaroo
