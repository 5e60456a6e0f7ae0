#define PCRE2_CODE_UNIT_WIDTH 16
#include "platform/com/regexp_engine.h"

#include <pcre2.h>

#include <algorithm>

namespace com {
namespace {

// Bounds of one search (see the header).
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::size_t kJitStackStart = std::size_t{32} * 1024;
constexpr std::size_t kJitStackMax = std::size_t{1024} * 1024;
constexpr std::size_t kMaxPatternUnits = std::size_t{64} * 1024;
constexpr std::size_t kMaxSubjectUnits = std::size_t{64} << 20;
constexpr std::size_t kMaxStoredOffsets = std::size_t{16} << 20;

constexpr std::uint32_t kBaseCompileOptions = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                                              PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
constexpr std::uint32_t kExtraCompileOptions = PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL;

struct CodeFree {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

PCRE2_SPTR AsPcre(const char16_t* s) { return reinterpret_cast<PCRE2_SPTR>(s); }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Everything one FindAll needs besides the pattern.
struct Matcher {
  MatchDataPtr data;
  MatchContextPtr context;
  JitStackPtr jitStack;
};

}  // namespace

struct CompiledPattern::Handles {
  CodePtr code;
  std::uint32_t groups = 0;
};

CompiledPattern::CompiledPattern(std::unique_ptr<Handles> h) : h_(std::move(h)) {}
CompiledPattern::~CompiledPattern() = default;

std::u16string_view MatchSet::Text(std::size_t m, std::uint32_t g) const {
  const std::uint32_t s = Start(m, g);
  const std::uint32_t e = End(m, g);
  if (s == kUnset || e < s) return {};
  return std::u16string_view(*subject).substr(s, e - s);
}

std::unique_ptr<CompiledPattern> CompiledPattern::Compile(std::u16string_view pattern,
                                                          RegexOptions options, HRESULT* error) {
  *error = kRegExpSyntaxError;
  CompileContextPtr ccx(pcre2_compile_context_create(nullptr));
  if (!ccx) {
    *error = E_OUTOFMEMORY;
    return nullptr;
  }
  pcre2_set_newline(ccx.get(), PCRE2_NEWLINE_LF);
  pcre2_set_max_pattern_length(ccx.get(), kMaxPatternUnits);
  pcre2_set_compile_extra_options(ccx.get(), kExtraCompileOptions);
  std::uint32_t flags = kBaseCompileOptions;
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  int code = 0;
  PCRE2_SIZE offset = 0;
  auto h = std::make_unique<Handles>();
  h->code.reset(
      pcre2_compile(AsPcre(pattern.data()), pattern.size(), flags, &code, &offset, ccx.get()));
  if (!h->code) return nullptr;
  // Without JIT (an unsupported machine) the interpreter serves.
  (void)pcre2_jit_compile(h->code.get(), PCRE2_JIT_COMPLETE);
  pcre2_pattern_info(h->code.get(), PCRE2_INFO_CAPTURECOUNT, &h->groups);
  *error = S_OK;
  return std::unique_ptr<CompiledPattern>(new CompiledPattern(std::move(h)));
}

HRESULT CompiledPattern::FindAll(std::shared_ptr<const std::u16string> subject, bool global,
                                 std::shared_ptr<const MatchSet>* out) const {
  out->reset();
  if (!subject) return E_POINTER;
  if (subject->size() >= kMaxSubjectUnits) return E_OUTOFMEMORY;
  Matcher m;
  m.data.reset(pcre2_match_data_create_from_pattern(h_->code.get(), nullptr));
  m.context.reset(pcre2_match_context_create(nullptr));
  if (!m.data || !m.context) return E_OUTOFMEMORY;
  pcre2_set_match_limit(m.context.get(), kMatchLimit);
  pcre2_set_heap_limit(m.context.get(), kHeapLimitKiB);
  m.jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
  if (m.jitStack) pcre2_jit_stack_assign(m.context.get(), nullptr, m.jitStack.get());

  auto set = std::make_shared<MatchSet>();
  set->subject = std::move(subject);
  set->groupSlots = h_->groups + 1;
  const std::u16string& s = *set->subject;
  const PCRE2_SPTR text = AsPcre(s.data());
  const std::size_t slots = static_cast<std::size_t>(set->groupSlots) * 2;
  std::uint32_t matchOptions = 0;  // the first call checks the subject's UTF-16
  for (std::size_t pos = 0; pos <= s.size();) {
    int rc = pcre2_match(h_->code.get(), text, s.size(), pos, matchOptions, m.data.get(),
                         m.context.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // Deep backtracking: the interpreter keeps its frames on the (capped) heap.
      rc = pcre2_match(h_->code.get(), text, s.size(), pos, matchOptions | PCRE2_NO_JIT,
                       m.data.get(), m.context.get());
    }
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return rc == PCRE2_ERROR_NOMEMORY ? E_OUTOFMEMORY : E_FAIL;
    matchOptions = PCRE2_NO_UTF_CHECK;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m.data.get());
    if (ov[1] < ov[0]) return E_FAIL;  // \K tricks; never from plain patterns
    if (set->offsets.size() + slots > kMaxStoredOffsets) return E_OUTOFMEMORY;
    for (std::size_t g = 0; g < set->groupSlots; ++g) {
      const bool taken = g < static_cast<std::size_t>(rc) && ov[2 * g] != PCRE2_UNSET;
      set->offsets.push_back(taken ? static_cast<std::uint32_t>(ov[2 * g]) : MatchSet::kUnset);
      set->offsets.push_back(taken ? static_cast<std::uint32_t>(ov[2 * g + 1]) : MatchSet::kUnset);
    }
    if (!global) break;
    if (ov[1] > ov[0]) {
      pos = ov[1];
    } else {
      // An empty match: step one character on (a whole surrogate pair).
      pos = ov[1] + 1;
      if (pos < s.size() && IsHighSurrogate(s[pos - 1]) && IsLowSurrogate(s[pos])) ++pos;
    }
  }
  *out = std::move(set);
  return S_OK;
}

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Expands the "$" escape at replacement[i] (which is "$") for match m into
// *out; returns how many units of the replacement it used.
std::size_t ExpandDollar(const MatchSet& set, std::size_t m, std::u16string_view r, std::size_t i,
                         std::u16string* out) {
  const std::u16string_view subject = *set.subject;
  const char16_t next = i + 1 < r.size() ? r[i + 1] : u'\0';
  switch (next) {
    case u'$':
      out->push_back(u'$');
      return 2;
    case u'&':
      out->append(set.Text(m, 0));
      return 2;
    case u'`':
      out->append(subject.substr(0, set.Start(m, 0)));
      return 2;
    case u'\'':
      out->append(subject.substr(set.End(m, 0)));
      return 2;
    default:
      break;
  }
  const std::uint32_t groups = set.groupSlots - 1;
  if (IsDigit(next)) {
    const std::uint32_t one = next - u'0';
    if (i + 2 < r.size() && IsDigit(r[i + 2])) {
      const std::uint32_t two = one * 10 + (r[i + 2] - u'0');
      if (two >= 1 && two <= groups) {
        out->append(set.Text(m, two));
        return 3;
      }
    }
    if (one >= 1 && one <= groups) {
      out->append(set.Text(m, one));
      return 2;
    }
  }
  out->push_back(u'$');
  return 1;
}

}  // namespace

HRESULT ExpandReplacement(const MatchSet& set, std::u16string_view replacement,
                          std::u16string* out) {
  const std::u16string_view subject = *set.subject;
  out->clear();
  std::size_t copied = 0;
  for (std::size_t m = 0; m < set.MatchCount(); ++m) {
    const std::size_t start = std::max<std::size_t>(set.Start(m, 0), copied);
    out->append(subject.substr(copied, start - copied));
    for (std::size_t i = 0; i < replacement.size();) {
      if (replacement[i] != u'$') {
        out->push_back(replacement[i++]);
      } else {
        i += ExpandDollar(set, m, replacement, i, out);
      }
      // Each step adds at most one subject's length, so this bounds memory.
      if (out->size() > kMaxReplaceUnits) {
        out->clear();
        return E_OUTOFMEMORY;
      }
    }
    copied = std::max<std::size_t>(set.End(m, 0), copied);
  }
  out->append(subject.substr(copied));
  if (out->size() > kMaxReplaceUnits) {
    out->clear();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace com
