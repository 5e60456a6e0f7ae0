#include "program/text/regex_matcher.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "program/routines/dll_calls.h"
#include "base/gbk.h"
#include "platform/com/com.h"

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
  for (int n = 0; n < charIndex && i < text.size(); ++n) i += base::GbkCharLength(text, i);
  return i;
}

// Number of characters in the first `bytes` bytes of a GBK text.
int CharCount(std::string_view text, std::size_t bytes = std::string_view::npos) {
  const std::size_t end = std::min(bytes, text.size());
  int n = 0;
  for (std::size_t i = 0; i < end; i += base::GbkCharLength(text, i)) ++n;
  return n;
}

}  // namespace

RegexMatcher::RegexMatcher() {
  (void)CallDll<decltype(com::CoInitialize)>(DllCommand::CoInitialize, nullptr);
}

RegexMatcher::RegexMatcher(const RegexMatcher& other)
    : engine(CopyObject(other.engine)),
      matches(CopyObject(other.matches)),
      subject(other.subject),
      walked(other.walked) {
  (void)CallDll<decltype(com::CoInitialize)>(DllCommand::CoInitialize, nullptr);
}

RegexMatcher::~RegexMatcher() {
  ReleaseObject(matches);
  ReleaseObject(engine);
  subject.clear();
  CallDll<decltype(com::CoUninitialize)>(DllCommand::CoUninitialize);
}

bool RegexMatcher::Search(std::string_view pattern, std::string_view subjectText,
                          bool caseSensitive, bool multiline, bool global) {
  ReleaseObject(engine);
  CreateObject(engine, kProgId);
  WriteProperty(engine, "IgnoreCase", !caseSensitive);
  WriteProperty(engine, "Multiline", multiline);
  // The component has no such member; the write is refused and changes nothing.
  WriteProperty(engine, "Singleline", true);
  WriteProperty(engine, "Global", global);
  WriteProperty(engine, "Pattern", std::string(pattern));
  AutoObject found = CallObjectMethod(engine, "Execute", std::string(subjectText));
  ReleaseObject(matches);
  matches = std::move(found);
  subject = Text(subjectText);
  walked = {};
  return !IsObjectEmpty(matches);
}

Text RegexMatcher::PatternText() const {
  if (IsObjectEmpty(engine)) return {};
  return ReadTextProperty(engine, "Pattern");
}

Text RegexMatcher::ReplaceMatches(std::string_view replacement) const {
  return CallTextMethod(engine, "Replace", subject, std::string(replacement));
}

int RegexMatcher::MatchCount() const { return CutToInt(ReadNumberProperty(matches, "Count")); }

RegexMatcher::ByteSpan RegexMatcher::MatchSpan(const AutoObject& match) const {
  if (IsObjectEmpty(match)) return {};
  // The component counts characters, one per GBK character of the subject.
  const int first = CutToInt(ReadNumberProperty(match, "FirstIndex"));
  const int length = CutToInt(ReadNumberProperty(match, "Length"));
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
  AutoObject match = ReadObjectProperty(matches, "Item", matchIndex - 1);
  const ByteSpan span = MatchSpan(match);
  ReleaseObject(match);
  if (position != nullptr) *position = span.start;
  return span.start < 0 ? Text()
                        : subject.substr(static_cast<std::size_t>(span.start), span.length);
}

Text RegexMatcher::SubMatchText(int matchIndex, int subIndex, int* position) const {
  AutoObject match = ReadObjectProperty(matches, "Item", matchIndex - 1);
  AutoObject groups = ReadObjectProperty(match, "SubMatches");
  // The component's own texts have been through its character conversion
  // (a byte it cannot read comes back as "?"); they only tell where the
  // group stands, and its bytes are taken from the subject.
  const Text converted = ReadValueText(groups, "Item", subIndex - 1);
  const Text convertedMatch = ReadTextProperty(match, "Value");
  const ByteSpan span = MatchSpan(match);
  ReleaseObject(groups);
  ReleaseObject(match);

  int start = span.start;  // an empty group stands at the start of its match
  Text value;
  if (span.start >= 0 && !converted.empty()) {
    // Where the group's text first stands in its match, in characters; the
    // converted texts hold one character for each of the subject's.
    const int found = base::Find(convertedMatch, converted);
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
  AutoObject match = ReadObjectProperty(matches, "Item", 0);
  AutoObject groups = ReadObjectProperty(match, "SubMatches");
  const int count = CutToInt(ReadNumberProperty(groups, "Count"));
  ReleaseObject(groups);
  ReleaseObject(match);
  return count;
}

}  // namespace pixaroo
