// The "VBScript.RegExp" component: a regular-expression object reached by
// member name, matching wide texts with the engine of regexp_engine.h.
//
// Members of the component: "Pattern" (text), "IgnoreCase", "Global",
// "Multiline" (flags, all false at first), "Execute"(subject) giving a match
// collection, "Replace"(subject, replacement) giving a text, "Test"(subject)
// giving a flag. A match collection has "Count" and "Item"(i), a match has
// "Value", "FirstIndex" (in characters), "Length" and "SubMatches", and a
// sub-match collection has "Count" and "Item"(i) (empty for a group that did
// not take part). Any other name is unknown; writing it changes nothing.
//
// A pattern that does not compile makes "Execute", "Replace" and "Test" fail.
// Objects belong to the thread that created them (see dispatch.h).
#pragma once

#include "platform/com/dispatch.h"

namespace com {

// A new component; the factory registered for "VBScript.RegExp".
DispatchPtr CreateRegExp();

}  // namespace com
