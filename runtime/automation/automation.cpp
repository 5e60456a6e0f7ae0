#include "runtime/automation/automation.h"

#include <array>
#include <charconv>
#include <span>

#include "base/gbk_unicode.h"
#include "platform/com/com.h"

namespace korvex {
namespace {

using com::Variant;

// Invokes `member` of `object` by name; the failure of any step is the result.
com::HRESULT Invoke(const Object& object, std::string_view member, unsigned flags,
                    std::span<const Variant> args, Variant* result) {
  if (object.IsEmpty()) return com::E_POINTER;
  com::DISPID id = 0;
  if (const com::HRESULT hr = object.Get()->GetIDOfName(base::GbkToWide(member), &id);
      com::Failed(hr)) {
    return hr;
  }
  return object.Get()->Invoke(id, flags, args, result);
}

// Reads a property (or calls a method) and gives its value, empty on failure.
Variant Read(const Object& object, std::string_view member, std::span<const Variant> args,
             unsigned flags = com::DISPATCH_PROPERTYGET) {
  Variant result;
  if (com::Failed(Invoke(object, member, flags, args, &result))) return {};
  return result;
}

// One argument, without copying it (a subject text may be large).
std::span<const Variant> One(const AutoArg& a) { return {&a.Get(), 1}; }

Object AsObject(Variant v) {
  if (auto* p = std::get_if<com::DispatchPtr>(&v)) return Object(std::move(*p));
  return {};
}

Text ToText(const Variant& v) {
  if (const auto* s = std::get_if<std::u16string>(&v)) return base::WideToGbk(*s);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "-1" : "0";
  if (const auto* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) {
    std::array<char, 32> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), *d);
    return Text(buf.data(), r.ptr);
  }
  return {};
}

}  // namespace

AutoArg::AutoArg(std::string_view gbk) : value_(base::GbkToWide(gbk)) {}

bool CreateObject(Object& object, std::string_view progId) {
  object.Reset();
  com::DispatchPtr created;
  if (com::Failed(com::CreateObjectFromProgID(base::GbkToWide(progId), &created))) return false;
  object = Object(std::move(created));
  return true;
}

void ReleaseObject(Object& object) { object.Reset(); }

bool IsObjectEmpty(const Object& object) { return object.IsEmpty(); }

void CopyObject(Object& destination, const Object& source) {
  // A copy first, so that copying an object onto itself keeps it.
  Object copy(source.Get());
  destination = std::move(copy);
}

bool WriteProperty(const Object& object, std::string_view member, const AutoArg& value) {
  return com::Succeeded(Invoke(object, member, com::DISPATCH_PROPERTYPUT, One(value), nullptr));
}

Text ReadTextProperty(const Object& object, std::string_view member) {
  return ToText(Read(object, member, {}));
}

double ReadNumberProperty(const Object& object, std::string_view member) {
  const Variant v = Read(object, member, {});
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
  if (const auto* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  return 0.0;
}

Object ReadObjectProperty(const Object& object, std::string_view member,
                          const std::optional<AutoArg>& argument) {
  if (!argument) return AsObject(Read(object, member, {}));
  return AsObject(Read(object, member, One(*argument)));
}

AutoVariant ReadVariantProperty(const Object& object, std::string_view member,
                                const std::optional<AutoArg>& argument) {
  if (!argument) return AutoVariant(Read(object, member, {}));
  return AutoVariant(Read(object, member, One(*argument)));
}

Object CallObjectMethod(const Object& object, std::string_view member, const AutoArg& argument) {
  return AsObject(Read(object, member, One(argument), com::DISPATCH_METHOD));
}

Text CallTextMethod(const Object& object, std::string_view member, const AutoArg& first,
                    const AutoArg& second) {
  const std::array args{first.Get(), second.Get()};
  return ToText(Read(object, member, args, com::DISPATCH_METHOD));
}

Text VariantToText(const AutoVariant& value) { return ToText(value.Get()); }

void ReleaseVariant(AutoVariant& value) { value.Reset(); }

}  // namespace korvex
