// Automation-object commands of the runtime: create a component by ProgID,
// read and write its properties and call its methods, all late-bound by
// member name, with texts in GBK on this side and wide texts on the
// component's side.
//
// An Object holds one owned reference to an automation object, or nothing;
// copying an Object takes another reference, destroying or clearing it
// releases its own. An AutoVariant owns one automation value. Every command
// that fails (empty object, unknown member, refused write, bad index, a
// component error) gives the empty result of its kind: false, an empty text,
// 0, an empty Object or an empty AutoVariant; nothing is reported.
//
// Threads: an object may be used only on the thread that created it (a call
// from elsewhere fails like any other); COM must be initialised on a thread
// before CreateObject can succeed there (platform/com/com.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/text_ops.h"
#include "platform/com/dispatch.h"

namespace korvex {

using base::Text;

class Object {
 public:
  Object() = default;
  explicit Object(com::DispatchPtr p) : ptr_(std::move(p)) {}
  bool IsEmpty() const { return !ptr_; }
  const com::DispatchPtr& Get() const { return ptr_; }
  void Reset() { ptr_.reset(); }

 private:
  com::DispatchPtr ptr_;
};

class AutoVariant {
 public:
  AutoVariant() = default;
  explicit AutoVariant(com::Variant v) : value_(std::move(v)) {}
  const com::Variant& Get() const { return value_; }
  void Reset() { value_ = std::monostate{}; }

 private:
  com::Variant value_;
};

// A value handed to a component: a flag, a number or a GBK text.
class AutoArg {
 public:
  AutoArg(bool v) : value_(v) {}                                       // NOLINT
  AutoArg(int v) : value_(static_cast<std::int32_t>(v)) {}             // NOLINT
  AutoArg(double v) : value_(v) {}                                     // NOLINT
  AutoArg(std::string_view gbk);                                       // NOLINT
  AutoArg(const char* gbk) : AutoArg(std::string_view(gbk)) {}         // NOLINT
  AutoArg(const std::string& gbk) : AutoArg(std::string_view(gbk)) {}  // NOLINT
  const com::Variant& Get() const { return value_; }

 private:
  com::Variant value_;
};

// Creates the component registered under `progId` into `object`, releasing
// what it held before. True when an object was created.
bool CreateObject(Object& object, std::string_view progId);
// Releases the reference `object` holds, if any.
void ReleaseObject(Object& object);
bool IsObjectEmpty(const Object& object);
// `destination` takes its own reference to what `source` refers to.
void CopyObject(Object& destination, const Object& source);

// Writes property `member`; true when the component accepted it.
bool WriteProperty(const Object& object, std::string_view member, const AutoArg& value);
Text ReadTextProperty(const Object& object, std::string_view member);
double ReadNumberProperty(const Object& object, std::string_view member);
Object ReadObjectProperty(const Object& object, std::string_view member,
                          const std::optional<AutoArg>& argument = std::nullopt);
AutoVariant ReadVariantProperty(const Object& object, std::string_view member,
                                const std::optional<AutoArg>& argument = std::nullopt);
Object CallObjectMethod(const Object& object, std::string_view member, const AutoArg& argument);
Text CallTextMethod(const Object& object, std::string_view member, const AutoArg& first,
                    const AutoArg& second);

// A value as text: texts in GBK, integers and doubles in decimal, flags as
// "-1" (true) and "0" (false); empty values and objects give the empty text.
Text VariantToText(const AutoVariant& value);
void ReleaseVariant(AutoVariant& value);

}  // namespace korvex
