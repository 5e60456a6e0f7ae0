// The symbols the executable exports for the routine records of its program
// image (app/routine_ids.h): the runtime looks each one up by name once,
// when it loads the image, and takes only symbols with their role's prefix
// that lie in the executable. Only these symbols are exported (the build
// links the executable with the list the image builder writes).
#include <cstdint>
#include <string>

#include "app/event_routines.h"
#include "app/global_cells.h"
#include "app/program_memory.h"
#include "app/routine_ids.h"
#include "runtime/services/program_image.h"
#include "text/regex_matcher.h"

#define PIXAROO_EXPORT extern "C" __attribute__((visibility("default"), used))

using pixaroo::RegexMatcher;
using Arg = std::int32_t;

// Routines the runtime calls.
#define PIXAROO_EXPORT_R(name) \
  PIXAROO_EXPORT void pixaroo_routine_##name(Arg a, Arg b, Arg c) { pixaroo::name(a, b, c); }
#define PIXAROO_EXPORT_B(name)
#define PIXAROO_EXPORT_O(name)
#define PIXAROO_EXPORT_RECORD(name, role) PIXAROO_EXPORT_##role(name)
PIXAROO_ROUTINE_RECORDS(PIXAROO_EXPORT_RECORD)
#undef PIXAROO_EXPORT_RECORD

// The binding: the size of `var` the global cells take, and the routine
// that hands the program the runtime's services and its memory.
PIXAROO_EXPORT const korvex::ProgramBinding pixaroo_binding_BindProgram = {pixaroo::kVarSize,
                                                                           &pixaroo::BindProgram};

// The regular-expression object's operation table. The program calls the
// class directly; these entries give the table's routines their records.
// Texts come back through `out`, which the caller owns.
PIXAROO_EXPORT void pixaroo_operation_RegexDestroy(RegexMatcher* m) { m->~RegexMatcher(); }
// Copying is refused by the class (a copy would end a COM use it never began).
PIXAROO_EXPORT bool pixaroo_operation_RegexCopy(RegexMatcher*, const RegexMatcher*) {
  return false;
}
PIXAROO_EXPORT bool pixaroo_operation_RegexSearch(RegexMatcher* m, const char* pattern,
                                                  const char* subject, bool caseSensitive,
                                                  bool multiline, bool global) {
  return m->Search(pattern, subject, caseSensitive, multiline, global);
}
PIXAROO_EXPORT void pixaroo_operation_RegexNoOp(const RegexMatcher* m) { m->NoOp(); }
PIXAROO_EXPORT void pixaroo_operation_RegexPatternText(const RegexMatcher* m, std::string* out) {
  *out = m->PatternText();
}
PIXAROO_EXPORT void pixaroo_operation_RegexReplaceMatches(const RegexMatcher* m,
                                                          const char* replacement,
                                                          std::string* out) {
  *out = m->ReplaceMatches(replacement);
}
PIXAROO_EXPORT int pixaroo_operation_RegexMatchCount(const RegexMatcher* m) {
  return m->MatchCount();
}
PIXAROO_EXPORT void pixaroo_operation_RegexMatchText(const RegexMatcher* m, int match,
                                                     int* position, std::string* out) {
  *out = m->MatchText(match, position);
}
PIXAROO_EXPORT void pixaroo_operation_RegexSubMatchText(const RegexMatcher* m, int match, int group,
                                                        int* position, std::string* out) {
  *out = m->SubMatchText(match, group, position);
}
PIXAROO_EXPORT int pixaroo_operation_RegexSubMatchCount(const RegexMatcher* m) {
  return m->SubMatchCount();
}
