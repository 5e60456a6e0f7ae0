#include "text/regex_matcher.h"

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

// Byte offset of character number `charIndex` (0-based) of a GBK text.
int ByteOffsetOfChar(std::string_view text, int charIndex) {
  std::size_t i = 0;
  for (int n = 0; n < charIndex && i < text.size(); ++n) i += korvex::GbkCharLength(text, i);
  return static_cast<int>(i);
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

int RegexMatcher::MatchBytePosition(const korvex::Object& match) const {
  if (korvex::IsObjectEmpty(match)) return -1;
  const int firstIndex = CutToInt(korvex::ReadNumberProperty(match, "FirstIndex"));
  return ByteOffsetOfChar(subject, firstIndex);
}

Text RegexMatcher::MatchText(int matchIndex, int* position) const {
  korvex::Object match = korvex::ReadObjectProperty(matches, "Item", matchIndex - 1);
  Text value = korvex::ReadTextProperty(match, "Value");
  if (position != nullptr) *position = MatchBytePosition(match);
  korvex::ReleaseObject(match);
  return value;
}

Text RegexMatcher::SubMatchText(int matchIndex, int subIndex, int* position) const {
  korvex::Object match = korvex::ReadObjectProperty(matches, "Item", matchIndex - 1);
  korvex::Object groups = korvex::ReadObjectProperty(match, "SubMatches");
  korvex::AutoVariant item = korvex::ReadVariantProperty(groups, "Item", subIndex - 1);
  Text value = korvex::VariantToText(item);
  korvex::ReleaseVariant(item);
  if (position != nullptr) {
    const int start = MatchBytePosition(match);
    if (start < 0 || value.empty()) {
      *position = start;  // an empty group stands at the start of its match
    } else {
      const int found = korvex::Find(subject, value, start + 1);
      *position = found < 0 ? -1 : found - 1;
    }
  }
  korvex::ReleaseObject(groups);
  korvex::ReleaseObject(match);
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
