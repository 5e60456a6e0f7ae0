#include "program/text/regex_operations.h"

#include <new>
#include <utility>

#include "program/routines/program_memory.h"
#include "program/routines/routine_ids.h"

namespace pixaroo {

void RegexDestroy(RegexMatcher* self, RegexCall*) { self->~RegexMatcher(); }

void RegexCopy(RegexMatcher* self, RegexCall* call) {
  if (call->source != nullptr) new (self) RegexMatcher(*call->source);
}

void RegexSearch(RegexMatcher* self, RegexCall* call) {
  call->flag = self->Search(call->pattern, call->subject, call->caseSensitive, call->multiline,
                            call->global);
}

void RegexNoOp(RegexMatcher*, RegexCall*) {}

void RegexPatternText(RegexMatcher* self, RegexCall* call) { call->text = self->PatternText(); }

void RegexReplaceMatches(RegexMatcher* self, RegexCall* call) {
  call->text = self->ReplaceMatches(call->replacement);
}

void RegexMatchCount(RegexMatcher* self, RegexCall* call) { call->number = self->MatchCount(); }

void RegexMatchText(RegexMatcher* self, RegexCall* call) {
  call->text = self->MatchText(call->matchIndex, call->position);
}

void RegexSubMatchText(RegexMatcher* self, RegexCall* call) {
  call->text = self->SubMatchText(call->matchIndex, call->subIndex, call->position);
}

void RegexSubMatchCount(RegexMatcher* self, RegexCall* call) {
  call->number = self->SubMatchCount();
}

RegexOperation RegexOperationNamed(std::string_view name) {
#define PIXAROO_OPERATION_R(op)
#define PIXAROO_OPERATION_V(op)
#define PIXAROO_OPERATION_B(op)
#define PIXAROO_OPERATION_O(op) \
  if (name == #op) return &op;
#define PIXAROO_OPERATION(op, role) PIXAROO_OPERATION_##role(op)
  PIXAROO_ROUTINE_RECORDS(PIXAROO_OPERATION)
#undef PIXAROO_OPERATION
#undef PIXAROO_OPERATION_O
#undef PIXAROO_OPERATION_B
#undef PIXAROO_OPERATION_V
#undef PIXAROO_OPERATION_R
  return nullptr;
}

RegexObject::RegexObject() { new (storage_) RegexMatcher(); }

RegexObject::~RegexObject() {
  RegexCall call;
  Call(RegexOp::Destroy, call);
}

void RegexObject::Call(RegexOp op, RegexCall& call) {
  const auto operation =
      reinterpret_cast<RegexOperation>(ImageOperation(static_cast<std::uint32_t>(op)));
  operation(std::launder(reinterpret_cast<RegexMatcher*>(storage_)), &call);
}

bool RegexObject::Search(std::string_view pattern, std::string_view subject) {
  RegexCall call;
  call.pattern = pattern;
  call.subject = subject;
  Call(RegexOp::Search, call);
  return call.flag;
}

int RegexObject::MatchCount() {
  RegexCall call;
  Call(RegexOp::MatchCount, call);
  return call.number;
}

base::Text RegexObject::SubMatchText(int matchIndex, int subIndex) {
  RegexCall call;
  call.matchIndex = matchIndex;
  call.subIndex = subIndex;
  Call(RegexOp::SubMatchText, call);
  return std::move(call.text);
}

}  // namespace pixaroo
