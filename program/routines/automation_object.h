// The program's side of the runtime's automation-object commands.
//
// An AutoObject owns one reference the runtime holds for the program, or
// nothing; it gives the reference back when cleared or destroyed. Moving
// hands the reference on; copying is forbidden. The free functions mirror
// the core library's object commands; each that fails gives the empty result
// of its kind.
//
// Threads: an object may be used only on the thread that made it, after COM
// was initialised there (DLL command CoInitialize).
#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "program/routines/runtime_link.h"

namespace pixaroo {

using AutoArg = korvex::AutoArgValue;
using base::Text;

class AutoObject {
 public:
  AutoObject() = default;
  explicit AutoObject(korvex::ObjectHandle h) : h_(h) {}
  ~AutoObject() { Reset(); }
  AutoObject(AutoObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  AutoObject& operator=(AutoObject&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  AutoObject(const AutoObject&) = delete;
  AutoObject& operator=(const AutoObject&) = delete;

  bool IsEmpty() const { return h_ == nullptr; }
  korvex::ObjectHandle Get() const { return h_; }
  void Reset() {
    if (h_ != nullptr) rt::Objects().release(std::exchange(h_, nullptr));
  }

 private:
  korvex::ObjectHandle h_ = nullptr;
};

// Makes the component registered under `progId` into `object`, giving back
// what it held first. True when an object was made.
inline bool CreateObject(AutoObject& object, std::string_view progId) {
  object = AutoObject(rt::Objects().create(progId));
  return !object.IsEmpty();
}
// A new reference to the object `source` holds (empty for an empty one).
inline AutoObject CopyObject(const AutoObject& source) {
  return AutoObject(rt::Objects().copy(source.Get()));
}
inline void ReleaseObject(AutoObject& object) { object.Reset(); }
inline bool IsObjectEmpty(const AutoObject& object) { return object.IsEmpty(); }

inline bool WriteProperty(const AutoObject& object, std::string_view member, AutoArg value) {
  return rt::Objects().writeProperty(object.Get(), member, value);
}
inline Text ReadTextProperty(const AutoObject& object, std::string_view member) {
  return rt::Objects().readText(object.Get(), member);
}
inline double ReadNumberProperty(const AutoObject& object, std::string_view member) {
  return rt::Objects().readNumber(object.Get(), member);
}
inline AutoObject ReadObjectProperty(const AutoObject& object, std::string_view member,
                                     const std::optional<AutoArg>& argument = std::nullopt) {
  return AutoObject(
      rt::Objects().readObject(object.Get(), member, argument ? &*argument : nullptr));
}
inline Text ReadValueText(const AutoObject& object, std::string_view member,
                          const std::optional<AutoArg>& argument = std::nullopt) {
  return rt::Objects().readValueText(object.Get(), member, argument ? &*argument : nullptr);
}
inline AutoObject CallObjectMethod(const AutoObject& object, std::string_view member,
                                   const AutoArg& argument) {
  return AutoObject(rt::Objects().callObject(object.Get(), member, argument));
}
inline Text CallTextMethod(const AutoObject& object, std::string_view member, const AutoArg& first,
                           const AutoArg& second) {
  return rt::Objects().callText(object.Get(), member, first, second);
}

}  // namespace pixaroo
