#include "platform/com/regexp_matches.h"

#include <array>
#include <string_view>

namespace com {
namespace {

using namespace std::string_view_literals;

// Reads the one index argument of "Item"; DISP_E_BADINDEX unless it lies in
// [0, count).
HRESULT ItemIndex(std::span<const Variant> args, std::size_t count, std::size_t* index) {
  if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
  std::int32_t i = 0;
  if (const HRESULT hr = VariantToInt(args[0], &i); Failed(hr)) return hr;
  if (i < 0 || static_cast<std::size_t>(i) >= count) return DISP_E_BADINDEX;
  *index = static_cast<std::size_t>(i);
  return S_OK;
}

class SubMatches final : public Dispatch {
 public:
  SubMatches(std::shared_ptr<const MatchSet> set, std::size_t match)
      : set_(std::move(set)), match_(match) {}

 protected:
  enum Member : DISPID { kCount, kItem };
  std::span<const std::u16string_view> MemberNames() const override { return kNames; }

  HRESULT InvokeMember(DISPID id, unsigned flags, std::span<const Variant> args,
                       Variant* result) override {
    if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
    const std::size_t groups = set_->groupSlots - 1;
    if (id == kCount) {
      if (!args.empty()) return DISP_E_BADPARAMCOUNT;
      *result = static_cast<std::int32_t>(groups);
      return S_OK;
    }
    std::size_t i = 0;
    if (const HRESULT hr = ItemIndex(args, groups, &i); Failed(hr)) return hr;
    const auto g = static_cast<std::uint32_t>(i + 1);
    if (set_->Start(match_, g) == MatchSet::kUnset) return S_OK;  // stays empty
    *result = std::u16string(set_->Text(match_, g));
    return S_OK;
  }

 private:
  static constexpr std::array kNames{u"Count"sv, u"Item"sv};
  std::shared_ptr<const MatchSet> set_;
  std::size_t match_;
};

class Match final : public Dispatch {
 public:
  Match(std::shared_ptr<const MatchSet> set, std::size_t match)
      : set_(std::move(set)), match_(match) {}

 protected:
  enum Member : DISPID { kValue, kFirstIndex, kLength, kSubMatches };
  std::span<const std::u16string_view> MemberNames() const override { return kNames; }

  HRESULT InvokeMember(DISPID id, unsigned flags, std::span<const Variant> args,
                       Variant* result) override {
    if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
    if (!args.empty()) return DISP_E_BADPARAMCOUNT;
    const std::uint32_t start = set_->Start(match_, 0);
    switch (id) {
      case kValue:
        *result = std::u16string(set_->Text(match_, 0));
        break;
      case kFirstIndex:
        *result = static_cast<std::int32_t>(start);
        break;
      case kLength:
        *result = static_cast<std::int32_t>(set_->End(match_, 0) - start);
        break;
      default:
        *result = DispatchPtr(MakeObject<SubMatches>(set_, match_));
        break;
    }
    return S_OK;
  }

 private:
  static constexpr std::array kNames{u"Value"sv, u"FirstIndex"sv, u"Length"sv, u"SubMatches"sv};
  std::shared_ptr<const MatchSet> set_;
  std::size_t match_;
};

class MatchCollection final : public Dispatch {
 public:
  explicit MatchCollection(std::shared_ptr<const MatchSet> set) : set_(std::move(set)) {}

 protected:
  enum Member : DISPID { kCount, kItem };
  std::span<const std::u16string_view> MemberNames() const override { return kNames; }

  HRESULT InvokeMember(DISPID id, unsigned flags, std::span<const Variant> args,
                       Variant* result) override {
    if (!IsGet(flags)) return DISP_E_MEMBERNOTFOUND;
    const std::size_t count = set_->MatchCount();
    if (id == kCount) {
      if (!args.empty()) return DISP_E_BADPARAMCOUNT;
      *result = static_cast<std::int32_t>(count);
      return S_OK;
    }
    std::size_t i = 0;
    if (const HRESULT hr = ItemIndex(args, count, &i); Failed(hr)) return hr;
    *result = DispatchPtr(MakeObject<Match>(set_, i));
    return S_OK;
  }

 private:
  static constexpr std::array kNames{u"Count"sv, u"Item"sv};
  std::shared_ptr<const MatchSet> set_;
};

}  // namespace

DispatchPtr MakeMatchCollection(std::shared_ptr<const MatchSet> matches) {
  return MakeObject<MatchCollection>(std::move(matches));
}

}  // namespace com
