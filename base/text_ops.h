// Text operations of the runtime.
//
// A text is a std::string holding GBK bytes. Lengths and positions count
// bytes; positions are 1-based and -1 means "not found". Every search,
// replace and split walks the text character by character (see gbk.h), so a
// match never starts inside a double-byte character; ignoring case folds only
// ASCII letters that stand as single-byte characters. Pure functions, safe on
// any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace base {

using Text = std::string;
using TextArray = std::vector<Text>;

// Length in bytes.
int Len(std::string_view t);
// First / last n bytes (n <= 0 gives the empty text, n > length the whole).
Text Left(std::string_view t, int n);
Text Right(std::string_view t, int n);
// `count` bytes from the 1-based byte position `start` (clamped to the text).
Text Mid(std::string_view t, int start, int count);

// 1-based position of the first occurrence of `sought` at or after byte
// position `start` (0 or 1 = from the beginning), or -1. An empty `sought`
// is never found. `ignoreCase` folds single-byte ASCII letters only.
int Find(std::string_view t, std::string_view sought, int start = 0, bool ignoreCase = false);
// 1-based position of the last occurrence that starts at or before byte
// position `start` (0 = anywhere), or -1.
int FindLast(std::string_view t, std::string_view sought, int start = 0, bool ignoreCase = false);

// ASCII letters that stand as single-byte characters to lower case.
Text ToLower(std::string_view t);
// Leading and trailing ASCII spaces removed (double-byte spaces are kept).
Text TrimSpaces(std::string_view t);
// Every single-byte ASCII space removed.
Text RemoveSpaces(std::string_view t);

// Replaces occurrences of `sought` found from byte position `start` (0/1 =
// beginning) on, at most `count` of them (negative = all); replacements are
// not searched again. An empty `sought` leaves the text unchanged.
Text Replace(std::string_view t, std::string_view sought, std::string_view replacement,
             int start = 0, int count = -1, bool ignoreCase = false);

// Splits `t` at every occurrence of `separator`, character-aware.
// Empty pieces are dropped: a separator at the start or end, two separators
// in a row, and an empty text yield no empty piece ("a;;b;" gives a and b;
// "" gives no pieces). De-duplication, update completion and cookie merging
// rely on this. An empty separator gives the whole text as one piece (none
// when the text is empty).
TextArray Split(std::string_view t, std::string_view separator);
// The same pieces as views into `t`, without copying.
std::vector<std::string_view> SplitViews(std::string_view t, std::string_view separator);

// n ASCII spaces (n <= 0: empty).
Text Spaces(int n);
// One-character text from a code: 0 gives the empty text; codes above 255
// give the double-byte character (high byte first).
Text Chr(int code);
// Decimal digits of an integer.
Text ToText(std::int64_t value);
// Leading decimal digits (with optional sign, after leading spaces) as an
// integer; empty or non-numeric text gives 0; saturates at the int range.
int ToInt(std::string_view t);
// Bitwise OR of two integers.
inline int BitOr(int a, int b) { return a | b; }

}  // namespace base
