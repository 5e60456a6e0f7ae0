// The runtime's automation-object commands, against a small fake component
// and the real "VBScript.RegExp".
#include "runtime/automation/automation.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/com/com.h"

namespace korvex {

using namespace base;  // NOLINT(google-build-using-namespace)
namespace {

using namespace std::string_view_literals;

// "Test.Fake": Name (text), Flag (flag), Half (2.5), Seven (7), Child([i])
// (an object; i must be 0), Join(a, b) (text), Self(x) (itself).
class Fake final : public com::Dispatch {
 protected:
  std::span<const std::u16string_view> MemberNames() const override { return kNames; }
  com::HRESULT InvokeMember(com::DISPID id, unsigned flags, std::span<const com::Variant> args,
                            com::Variant* result) override {
    if (com::IsPut(flags)) {
      if (id == 0) return com::VariantToWide(args[0], &name_);
      if (id == 1) return com::VariantToBool(args[0], &flag_);
      return com::DISP_E_MEMBERNOTFOUND;
    }
    switch (id) {
      case 0:
        *result = name_;
        break;
      case 1:
        *result = flag_;
        break;
      case 2:
        *result = 2.5;
        break;
      case 3:
        *result = std::int32_t{7};
        break;
      case 4:
        if (!args.empty() && std::get<std::int32_t>(args[0]) != 0) return com::DISP_E_BADINDEX;
        *result = com::DispatchPtr(com::MakeObject<Fake>());
        break;
      case 5:
        *result = std::get<std::u16string>(args[0]) + std::get<std::u16string>(args[1]);
        break;
      default:
        *result = com::DispatchPtr(com::MakeObject<Fake>());
        break;
    }
    return com::S_OK;
  }

 private:
  static constexpr std::array kNames{u"Name"sv,  u"Flag"sv, u"Half"sv, u"Seven"sv,
                                     u"Child"sv, u"Join"sv, u"Self"sv};
  std::u16string name_;
  bool flag_ = false;
};

class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    com::RegisterProgID(u"Test.Fake", [] { return com::DispatchPtr(com::MakeObject<Fake>()); });
    before_ = com::LiveObjectCount();
    com::CoInitialize(nullptr);
  }
  void TearDown() override {
    com::CoUninitialize();
    EXPECT_EQ(com::LiveObjectCount(), before_) << "an object was not released";
    com::RegisterProgID(u"Test.Fake", nullptr);
  }
  long before_ = 0;
};

TEST_F(AutomationTest, PropertiesCarryGbkTextsFlagsAndNumbers) {
  Object o;
  ASSERT_TRUE(CreateObject(o, "Test.Fake"));
  const Text chinese = "\xCD\xBC\xC6\xAC \x81h";   // 图片, a character with an 'h' trail
  EXPECT_TRUE(WriteProperty(o, "name", chinese));  // member names ignore case
  EXPECT_EQ(ReadTextProperty(o, "Name"), chinese);
  EXPECT_TRUE(WriteProperty(o, "Flag", true));
  EXPECT_EQ(ReadTextProperty(o, "Flag"), "-1");
  EXPECT_EQ(ReadNumberProperty(o, "Flag"), -1.0);
  EXPECT_EQ(ReadTextProperty(o, "Half"), "2.5");
  EXPECT_EQ(ReadNumberProperty(o, "Seven"), 7.0);
  EXPECT_EQ(ReadTextProperty(o, "Seven"), "7");
  EXPECT_FALSE(WriteProperty(o, "Seven", 1));
  EXPECT_FALSE(WriteProperty(o, "NoSuchMember", 1));
  EXPECT_EQ(CallTextMethod(o, "Join", "a", chinese), "a" + chinese);
}

TEST_F(AutomationTest, ObjectAndVariantResultsAreOwnedAndReleased) {
  Object o;
  ASSERT_TRUE(CreateObject(o, "Test.Fake"));
  Object child = ReadObjectProperty(o, "Child");
  EXPECT_FALSE(IsObjectEmpty(child));
  EXPECT_TRUE(IsObjectEmpty(ReadObjectProperty(o, "Child", 3)));  // refused index
  EXPECT_FALSE(IsObjectEmpty(ReadObjectProperty(o, "Child", 0)));
  EXPECT_FALSE(IsObjectEmpty(CallObjectMethod(o, "Self", 1)));
  AutoVariant v = ReadVariantProperty(o, "Half");
  EXPECT_EQ(VariantToText(v), "2.5");
  ReleaseVariant(v);
  EXPECT_EQ(VariantToText(v), "");
  // Reading an object as text gives the empty text, not a crash.
  EXPECT_EQ(VariantToText(ReadVariantProperty(o, "Child")), "");
  Object copy;
  CopyObject(copy, o);
  CopyObject(copy, copy);
  WriteProperty(copy, "Name", "shared");
  ReleaseObject(o);
  EXPECT_TRUE(IsObjectEmpty(o));
  EXPECT_EQ(ReadTextProperty(copy, "Name"), "shared");
  // Creating into a held reference releases the old object first.
  ASSERT_TRUE(CreateObject(copy, "Test.Fake"));
  EXPECT_EQ(ReadTextProperty(copy, "Name"), "");
}

TEST_F(AutomationTest, EveryCommandOnAnEmptyOrFailedObjectGivesAnEmptyResult) {
  Object o;
  EXPECT_FALSE(CreateObject(o, "No.Such.Component"));
  EXPECT_TRUE(IsObjectEmpty(o));
  EXPECT_FALSE(WriteProperty(o, "Name", "x"));
  EXPECT_EQ(ReadTextProperty(o, "Name"), "");
  EXPECT_EQ(ReadNumberProperty(o, "Seven"), 0.0);
  EXPECT_TRUE(IsObjectEmpty(ReadObjectProperty(o, "Child", 0)));
  EXPECT_EQ(VariantToText(ReadVariantProperty(o, "Half")), "");
  EXPECT_TRUE(IsObjectEmpty(CallObjectMethod(o, "Self", 1)));
  EXPECT_EQ(CallTextMethod(o, "Join", "a", "b"), "");
  com::CoUninitialize();
  EXPECT_FALSE(CreateObject(o, "Test.Fake"));  // no COM on this thread
  com::CoInitialize(nullptr);
}

TEST_F(AutomationTest, RegExpComponentReachedByName) {
  Object re;
  ASSERT_TRUE(CreateObject(re, "VBScript.RegExp"));
  EXPECT_TRUE(WriteProperty(re, "Global", true));
  EXPECT_FALSE(WriteProperty(re, "Singleline", true));
  EXPECT_TRUE(WriteProperty(re, "Pattern", "\xD6\xD0(.)"));  // 中(.)
  Object matches = CallObjectMethod(re, "Execute", "a\xD6\xD0x\xD6\xD0\xCE\xC4");
  ASSERT_EQ(ReadNumberProperty(matches, "Count"), 2.0);
  Object second = ReadObjectProperty(matches, "Item", 1);
  EXPECT_EQ(ReadTextProperty(second, "Value"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(ReadNumberProperty(second, "FirstIndex"), 3.0);  // characters, not bytes
  EXPECT_EQ(CallTextMethod(re, "Replace", "\xD6\xD0z", "[$1]"), "[z]");
}

}  // namespace
}  // namespace korvex
