#include "text/regex_matcher.h"

#include <cmath>
#include <limits>

#include "app/dll_commands.h"
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

// Byte offset of character number `charIndex` (0-based) of a GBK text.
int ByteOffsetOfChar(std::string_view text, int charIndex) {
  std::size_t i = 0;
  for (int n = 0; n < charIndex && i < text.size(); ++n) i += base::GbkCharLength(text, i);
  return static_cast<int>(i);
}

}  // namespace

RegexMatcher::RegexMatcher() {
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

int RegexMatcher::MatchBytePosition(const AutoObject& match) const {
  if (IsObjectEmpty(match)) return -1;
  const int firstIndex = CutToInt(ReadNumberProperty(match, "FirstIndex"));
  return ByteOffsetOfChar(subject, firstIndex);
}

Text RegexMatcher::MatchText(int matchIndex, int* position) const {
  AutoObject match = ReadObjectProperty(matches, "Item", matchIndex - 1);
  Text value = ReadTextProperty(match, "Value");
  if (position != nullptr) *position = MatchBytePosition(match);
  ReleaseObject(match);
  return value;
}

Text RegexMatcher::SubMatchText(int matchIndex, int subIndex, int* position) const {
  AutoObject match = ReadObjectProperty(matches, "Item", matchIndex - 1);
  AutoObject groups = ReadObjectProperty(match, "SubMatches");
  Text value = ReadValueText(groups, "Item", subIndex - 1);
  if (position != nullptr) {
    const int start = MatchBytePosition(match);
    if (start < 0 || value.empty()) {
      *position = start;  // an empty group stands at the start of its match
    } else {
      const int found = base::Find(subject, value, start + 1);
      *position = found < 0 ? -1 : found - 1;
    }
  }
  ReleaseObject(groups);
  ReleaseObject(match);
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
