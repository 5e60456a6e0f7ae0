#include "base/text_ops.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "base/gbk.h"

namespace base {
namespace {

// Does `sought` match `t` at the character boundary `pos`? Both are walked
// character by character, so a match also ends on a boundary of `t`.
bool MatchesAt(std::string_view t, std::size_t pos, std::string_view sought, bool ignoreCase) {
  std::size_t i = pos;
  std::size_t j = 0;
  while (j < sought.size()) {
    if (i >= t.size()) return false;
    const std::size_t ti = GbkCharLength(t, i);
    const std::size_t sj = GbkCharLength(sought, j);
    if (ti != sj) return false;
    if (ti == 1) {
      auto a = static_cast<unsigned char>(t[i]);
      auto b = static_cast<unsigned char>(sought[j]);
      if (ignoreCase) {
        a = FoldAscii(a);
        b = FoldAscii(b);
      }
      if (a != b) return false;
    } else if (t.compare(i, 2, sought.substr(j, 2)) != 0) {
      return false;
    }
    i += ti;
    j += sj;
  }
  return true;
}

// Invokes fn(pos) for every match position (0-based) from `from` on, in
// order, skipping over each match; stops when fn returns false.
template <typename Fn>
void ForEachMatch(std::string_view t, std::string_view sought, std::size_t from, bool ignoreCase,
                  Fn fn) {
  if (sought.empty()) return;
  std::size_t i = 0;
  while (i < t.size()) {
    if (i >= from && MatchesAt(t, i, sought, ignoreCase)) {
      if (!fn(i)) return;
      i += sought.size();
      continue;
    }
    i += GbkCharLength(t, i);
  }
}

std::size_t StartIndex(int start) { return start <= 1 ? 0 : static_cast<std::size_t>(start - 1); }

}  // namespace

int Len(std::string_view t) { return static_cast<int>(std::min<std::size_t>(t.size(), INT_MAX)); }

Text Left(std::string_view t, int n) {
  if (n <= 0) return {};
  return Text(t.substr(0, static_cast<std::size_t>(n)));
}

Text Right(std::string_view t, int n) {
  if (n <= 0) return {};
  const auto k = std::min<std::size_t>(static_cast<std::size_t>(n), t.size());
  return Text(t.substr(t.size() - k));
}

Text Mid(std::string_view t, int start, int count) {
  if (count <= 0) return {};
  const std::size_t s = StartIndex(start);
  if (s >= t.size()) return {};
  return Text(t.substr(s, static_cast<std::size_t>(count)));
}

int Find(std::string_view t, std::string_view sought, int start, bool ignoreCase) {
  int found = -1;
  ForEachMatch(t, sought, StartIndex(start), ignoreCase, [&](std::size_t pos) {
    found = static_cast<int>(pos) + 1;
    return false;
  });
  return found;
}

int FindLast(std::string_view t, std::string_view sought, int start, bool ignoreCase) {
  if (sought.empty()) return -1;
  const std::size_t limit = start <= 0 ? t.size() : static_cast<std::size_t>(start - 1);
  int found = -1;
  // Overlapping candidates count here, so walk every boundary.
  for (std::size_t i = 0; i < t.size() && i <= limit; i += GbkCharLength(t, i)) {
    if (MatchesAt(t, i, sought, ignoreCase)) found = static_cast<int>(i) + 1;
  }
  return found;
}

Text ToLower(std::string_view t) {
  Text out(t);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = GbkCharLength(out, i);
    if (n == 1) out[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(out[i])));
    i += n;
  }
  return out;
}

Text TrimSpaces(std::string_view t) {
  const auto b = t.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const auto e = t.find_last_not_of(' ');
  return Text(t.substr(b, e - b + 1));
}

Text RemoveSpaces(std::string_view t) {
  // A space byte is never a GBK trail byte (trails start at 0x40).
  Text out;
  out.reserve(t.size());
  for (char c : t) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

Text Replace(std::string_view t, std::string_view sought, std::string_view replacement, int start,
             int count, bool ignoreCase) {
  Text out;
  out.reserve(t.size());
  std::size_t copied = 0;
  int left = count;
  if (left == 0) return Text(t);
  ForEachMatch(t, sought, StartIndex(start), ignoreCase, [&](std::size_t pos) {
    out.append(t.substr(copied, pos - copied));
    out.append(replacement);
    copied = pos + sought.size();
    return left < 0 || --left > 0;
  });
  out.append(t.substr(copied));
  return out;
}

// A byte match of the separator counts only when it starts and ends on
// character boundaries of `t`; the boundary walk moves forward only, so the
// whole split stays linear.
std::vector<std::string_view> SplitViews(std::string_view t, std::string_view sep) {
  std::vector<std::string_view> pieces;
  if (sep.empty()) {
    if (!t.empty()) pieces.push_back(t);
    return pieces;
  }
  std::size_t begin = 0;     // start of the current piece
  std::size_t boundary = 0;  // a character boundary, never past the next candidate
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = t.find(sep, from);
    if (at == std::string_view::npos) break;
    from = at + 1;
    while (boundary < at) boundary += GbkCharLength(t, boundary);
    if (boundary != at) continue;  // starts inside a double-byte character
    std::size_t end = at;
    while (end < at + sep.size()) end += GbkCharLength(t, end);
    if (end != at + sep.size()) continue;  // ends inside one
    if (at > begin) pieces.push_back(t.substr(begin, at - begin));
    begin = boundary = from = end;
  }
  if (begin < t.size()) pieces.push_back(t.substr(begin));
  return pieces;
}

TextArray Split(std::string_view t, std::string_view separator) {
  const std::vector<std::string_view> views = SplitViews(t, separator);
  return TextArray(views.begin(), views.end());
}

Text Spaces(int n) { return n <= 0 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

Text Chr(int code) {
  if (code <= 0) return {};
  if (code <= 0xFF) return Text(1, static_cast<char>(code));
  Text out;
  out.push_back(static_cast<char>((code >> 8) & 0xFF));
  out.push_back(static_cast<char>(code & 0xFF));
  return out;
}

Text ToText(std::int64_t value) { return std::to_string(value); }

int ToInt(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  long long v = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) v = -v;
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace base
