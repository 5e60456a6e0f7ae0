#include "platform/com/dispatch.h"

#include <cmath>
#include <limits>

namespace com {
namespace {

std::atomic<long> g_liveObjects{0};

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

Dispatch::Dispatch() : owner_(std::this_thread::get_id()) {
  g_liveObjects.fetch_add(1, std::memory_order_relaxed);
}

Dispatch::~Dispatch() { g_liveObjects.fetch_sub(1, std::memory_order_relaxed); }

void Dispatch::Release() noexcept {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

HRESULT Dispatch::GetIDOfName(std::u16string_view name, DISPID* id) const {
  if (id == nullptr) return E_POINTER;
  const auto names = MemberNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (NamesEqual(names[i], name)) {
      *id = static_cast<DISPID>(i);
      return S_OK;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT Dispatch::Invoke(DISPID id, unsigned flags, std::span<const Variant> args,
                         Variant* result) {
  if (std::this_thread::get_id() != owner_) return RPC_E_WRONG_THREAD;
  if (id < 0 || static_cast<std::size_t>(id) >= MemberNames().size()) return DISP_E_MEMBERNOTFOUND;
  Variant scratch;
  Variant* out = result != nullptr ? result : &scratch;
  *out = std::monostate{};
  return InvokeMember(id, flags, args, out);
}

long LiveObjectCount() { return g_liveObjects.load(std::memory_order_relaxed); }

HRESULT VariantToBool(const Variant& v, bool* out) {
  if (const auto* b = std::get_if<bool>(&v)) {
    *out = *b;
  } else if (const auto* i = std::get_if<std::int32_t>(&v)) {
    *out = *i != 0;
  } else if (const auto* d = std::get_if<double>(&v)) {
    *out = *d != 0.0;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

HRESULT VariantToInt(const Variant& v, std::int32_t* out) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) {
    *out = *i;
  } else if (const auto* b = std::get_if<bool>(&v)) {
    *out = *b ? -1 : 0;
  } else if (const auto* d = std::get_if<double>(&v)) {
    const double r = std::nearbyint(*d);
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max())) {
      return DISP_E_TYPEMISMATCH;  // also NaN
    }
    *out = static_cast<std::int32_t>(r);
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

HRESULT VariantToWide(const Variant& v, std::u16string* out) {
  if (const auto* s = std::get_if<std::u16string>(&v)) {
    *out = *s;
  } else if (std::holds_alternative<std::monostate>(v)) {
    out->clear();
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

}  // namespace com
