// Small helpers for driving automation objects by member name in tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/com/com.h"

namespace com::testing {

// Initialises COM on the test's thread for the test's lifetime.
class ComTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

inline HRESULT Call(const DispatchPtr& obj, std::u16string_view member, unsigned flags,
                    std::initializer_list<Variant> args, Variant* result) {
  DISPID id = 0;
  if (const HRESULT hr = obj->GetIDOfName(member, &id); Failed(hr)) return hr;
  const std::vector<Variant> a(args);
  return obj->Invoke(id, flags, a, result);
}

inline HRESULT Put(const DispatchPtr& obj, std::u16string_view member, Variant value) {
  return Call(obj, member, DISPATCH_PROPERTYPUT, {std::move(value)}, nullptr);
}

inline Variant Get(const DispatchPtr& obj, std::u16string_view member,
                   std::initializer_list<Variant> args = {}) {
  Variant v;
  EXPECT_EQ(Call(obj, member, DISPATCH_PROPERTYGET, args, &v), S_OK) << "member lookup/get";
  return v;
}

inline DispatchPtr GetObject(const DispatchPtr& obj, std::u16string_view member,
                             std::initializer_list<Variant> args = {}) {
  Variant v = Get(obj, member, args);
  auto* p = std::get_if<DispatchPtr>(&v);
  return p != nullptr ? *p : DispatchPtr();
}

}  // namespace com::testing
