// Automation objects of the COM layer: reference-counted objects whose members
// are reached late-bound, by name, the way a scripting client reaches an
// IDispatch component.
//
// Ownership: an object lives as long as some ComPtr holds it; the last
// Release deletes it. Variant values own what they hold (a wide text, or one
// reference to an object).
//
// Threads: objects are apartment-threaded. Invoke must come from the thread
// that created the object (another thread gets RPC_E_WRONG_THREAD and nothing
// happens); AddRef/Release may come from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <variant>

#include "platform/win32/types.h"

namespace com {

using win32::CO_E_CLASSSTRING;
using win32::CO_E_NOTINITIALIZED;
using win32::DISP_E_BADINDEX;
using win32::DISP_E_BADPARAMCOUNT;
using win32::DISP_E_MEMBERNOTFOUND;
using win32::DISP_E_TYPEMISMATCH;
using win32::DISP_E_UNKNOWNNAME;
using win32::E_FAIL;
using win32::E_INVALIDARG;
using win32::E_OUTOFMEMORY;
using win32::E_POINTER;
using win32::HRESULT;
using win32::REGDB_E_CLASSNOTREG;
using win32::RPC_E_WRONG_THREAD;
using win32::S_FALSE;
using win32::S_OK;

using DISPID = std::int32_t;

inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }

// Invoke flags, as the platform spells them.
inline constexpr unsigned DISPATCH_METHOD = 1;
inline constexpr unsigned DISPATCH_PROPERTYGET = 2;
inline constexpr unsigned DISPATCH_PROPERTYPUT = 4;

// Intrusive owning pointer: copying adds a reference, destruction releases it.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
  // Takes over a reference the caller already holds.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  template <typename U>
  ComPtr(const ComPtr<U>& o) : p_(o.get()) {  // NOLINT(google-explicit-constructor)
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Dispatch;
using DispatchPtr = ComPtr<Dispatch>;

// An automation value: empty, boolean, 32-bit integer, double, wide text or
// an object reference.
using Variant =
    std::variant<std::monostate, bool, std::int32_t, double, std::u16string, DispatchPtr>;

// Base of every automation object of this layer.
class Dispatch {
 public:
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;

  void AddRef() noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() noexcept;

  // Resolves a member name (letter case ignored for ASCII) to its id, or
  // DISP_E_UNKNOWNNAME.
  HRESULT GetIDOfName(std::u16string_view name, DISPID* id) const;
  // Runs member `id`: `flags` is a DISPATCH_* combination, `args` are in
  // the natural (left-to-right) order; `result` may be null.
  HRESULT Invoke(DISPID id, unsigned flags, std::span<const Variant> args, Variant* result);

 protected:
  Dispatch();
  virtual ~Dispatch();
  // The object's member names; a member's id is its index.
  virtual std::span<const std::u16string_view> MemberNames() const = 0;
  // Called on the owner thread with a valid id; `result` is never null.
  virtual HRESULT InvokeMember(DISPID id, unsigned flags, std::span<const Variant> args,
                               Variant* result) = 0;

 private:
  std::atomic<long> refs_{1};
  std::thread::id owner_;
};

// Makes an object with one reference, owned by the returned pointer.
template <typename T, typename... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Number of automation objects alive in the process (a diagnostic for tests).
long LiveObjectCount();

// Helpers for members: read an argument as a given type.
// Booleans accept bool, integers and doubles (non-zero is true).
HRESULT VariantToBool(const Variant& v, bool* out);
// Integers accept integers, doubles (rounded to nearest) and booleans.
HRESULT VariantToInt(const Variant& v, std::int32_t* out);
// Texts accept texts and the empty value (an empty text).
HRESULT VariantToWide(const Variant& v, std::u16string* out);
// Dispatch of a get: `flags` asks for a property read or a method call.
inline bool IsGet(unsigned flags) {
  return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
}
inline bool IsPut(unsigned flags) { return (flags & DISPATCH_PROPERTYPUT) != 0; }

}  // namespace com
