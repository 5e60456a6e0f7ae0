#include "runtime/automation/object_services.h"

#include <new>

#include "runtime/automation/automation.h"

struct korvex::AutomationObject {
  Object object;
};

namespace korvex {
namespace {

const Object& Of(ObjectHandle h) {
  static const Object kEmpty;
  return h != nullptr ? h->object : kEmpty;
}

// A new handle for `object`, or null for the empty object.
ObjectHandle Box(Object object) {
  if (object.IsEmpty()) return nullptr;
  return new (std::nothrow) AutomationObject{std::move(object)};
}

korvex::AutoArg Arg(const korvex::AutoArgValue& v) {
  return std::visit([](const auto& x) { return korvex::AutoArg(x); }, v);
}

std::optional<korvex::AutoArg> OptionalArg(const korvex::AutoArgValue* v) {
  if (v == nullptr) return std::nullopt;
  return Arg(*v);
}

}  // namespace

ObjectCommands MakeObjectCommands() {
  ObjectCommands c{};
  c.create = [](std::string_view progId) -> ObjectHandle {
    Object o;
    CreateObject(o, progId);
    return Box(std::move(o));
  };
  c.release = [](ObjectHandle h) { delete h; };
  c.copy = [](ObjectHandle h) -> ObjectHandle {
    Object o;
    CopyObject(o, Of(h));
    return Box(std::move(o));
  };
  c.writeProperty = [](ObjectHandle h, std::string_view member, const AutoArgValue& v) {
    return WriteProperty(Of(h), member, Arg(v));
  };
  c.readText = [](ObjectHandle h, std::string_view member) {
    return ReadTextProperty(Of(h), member);
  };
  c.readNumber = [](ObjectHandle h, std::string_view member) {
    return ReadNumberProperty(Of(h), member);
  };
  c.readObject = [](ObjectHandle h, std::string_view member, const AutoArgValue* arg) {
    return Box(ReadObjectProperty(Of(h), member, OptionalArg(arg)));
  };
  c.readValueText = [](ObjectHandle h, std::string_view member, const AutoArgValue* arg) {
    AutoVariant v = ReadVariantProperty(Of(h), member, OptionalArg(arg));
    base::Text text = VariantToText(v);
    ReleaseVariant(v);
    return text;
  };
  c.callObject = [](ObjectHandle h, std::string_view member, const AutoArgValue& arg) {
    return Box(CallObjectMethod(Of(h), member, Arg(arg)));
  };
  c.callText = [](ObjectHandle h, std::string_view member, const AutoArgValue& first,
                  const AutoArgValue& second) {
    return CallTextMethod(Of(h), member, Arg(first), Arg(second));
  };
  return c;
}

}  // namespace korvex
