#include "platform/com/regexp.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "platform/com/regexp_engine.h"
#include "platform/com/regexp_matches.h"

namespace com {
namespace {

using namespace std::string_view_literals;

class RegExp final : public Dispatch {
 protected:
  enum Member : DISPID { kPattern, kIgnoreCase, kGlobal, kMultiline, kExecute, kReplace, kTest };
  std::span<const std::u16string_view> MemberNames() const override { return kNames; }

  HRESULT InvokeMember(DISPID id, unsigned flags, std::span<const Variant> args,
                       Variant* result) override {
    if (IsPut(flags)) return Put(id, args);
    if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
      case kPattern:
      case kIgnoreCase:
      case kGlobal:
      case kMultiline:
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        *result = Read(id);
        return S_OK;
      case kExecute:
        return Execute(args, result);
      case kReplace:
        return Replace(args, result);
      default:
        return Test(args, result);
    }
  }

 private:
  static constexpr std::array kNames{u"Pattern"sv, u"IgnoreCase"sv, u"Global"sv, u"Multiline"sv,
                                     u"Execute"sv, u"Replace"sv,    u"Test"sv};

  Variant Read(DISPID id) const {
    switch (id) {
      case kPattern:
        return pattern_;
      case kIgnoreCase:
        return options_.ignoreCase;
      case kGlobal:
        return global_;
      default:
        return options_.multiline;
    }
  }

  HRESULT Put(DISPID id, std::span<const Variant> args) {
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    if (id == kPattern) {
      std::u16string p;
      if (const HRESULT hr = VariantToWide(args[0], &p); Failed(hr)) return hr;
      pattern_ = std::move(p);
      compiled_.reset();
      return S_OK;
    }
    bool value = false;
    if (const HRESULT hr = VariantToBool(args[0], &value); Failed(hr)) return hr;
    switch (id) {
      case kIgnoreCase:
        options_.ignoreCase = value;
        compiled_.reset();
        return S_OK;
      case kGlobal:
        global_ = value;
        return S_OK;
      case kMultiline:
        options_.multiline = value;
        compiled_.reset();
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;  // methods cannot be written
    }
  }

  // Compiles the current pattern once per change of pattern or options.
  HRESULT Compiled(const CompiledPattern** out) {
    if (!compiled_) {
      HRESULT hr = S_OK;
      compiled_ = CompiledPattern::Compile(pattern_, options_, &hr);
      if (!compiled_) return hr;
    }
    *out = compiled_.get();
    return S_OK;
  }

  // Runs the pattern over the subject argument args[0].
  HRESULT Search(std::span<const Variant> args, bool global, std::shared_ptr<const MatchSet>* out) {
    auto subject = std::make_shared<std::u16string>();
    if (const HRESULT hr = VariantToWide(args[0], subject.get()); Failed(hr)) return hr;
    const CompiledPattern* code = nullptr;
    if (const HRESULT hr = Compiled(&code); Failed(hr)) return hr;
    return code->FindAll(std::move(subject), global, out);
  }

  HRESULT Execute(std::span<const Variant> args, Variant* result) {
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    std::shared_ptr<const MatchSet> set;
    if (const HRESULT hr = Search(args, global_, &set); Failed(hr)) return hr;
    *result = MakeMatchCollection(std::move(set));
    return S_OK;
  }

  HRESULT Replace(std::span<const Variant> args, Variant* result) {
    if (args.size() != 2) return DISP_E_BADPARAMCOUNT;
    std::u16string replacement;
    if (const HRESULT hr = VariantToWide(args[1], &replacement); Failed(hr)) return hr;
    std::shared_ptr<const MatchSet> set;
    if (const HRESULT hr = Search(args, global_, &set); Failed(hr)) return hr;
    std::u16string text;
    if (const HRESULT hr = ExpandReplacement(*set, replacement, &text); Failed(hr)) return hr;
    *result = std::move(text);
    return S_OK;
  }

  HRESULT Test(std::span<const Variant> args, Variant* result) {
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    std::shared_ptr<const MatchSet> set;
    if (const HRESULT hr = Search(args, false, &set); Failed(hr)) return hr;
    *result = set->MatchCount() > 0;
    return S_OK;
  }

  std::u16string pattern_;
  RegexOptions options_;
  bool global_ = false;
  std::unique_ptr<CompiledPattern> compiled_;
};

}  // namespace

DispatchPtr CreateRegExp() { return MakeObject<RegExp>(); }

}  // namespace com
