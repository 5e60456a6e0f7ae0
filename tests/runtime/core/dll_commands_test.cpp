// The DLL command table: a program's (file, function) names resolved against
// the platform layers as the platform's loader would find them.
#include "runtime/dll/dll_commands.h"

#include <gtest/gtest.h>

#include "platform/kernel32/kernel32.h"
#include "platform/wininet/wininet.h"
#include "program/routines/dll_calls.h"
#include "runtime/core/headless_front.h"
#include "tests/runtime/core/test_program.h"

namespace korvex::dll {
namespace {

template <typename Fn>
AnyFunction Any(Fn* f) {
  return reinterpret_cast<AnyFunction>(f);
}

TEST(DllCommands, NamesResolveAsThePlatformLoaderFindsThem) {
  const DllCommandName table[] = {
      {"KERNEL32", "GlobalAlloc"},  // letter case and ".dll" do not matter
      {"", "RtlMoveMemory"},        // no file: every layer is searched
      {"", "lstrcpyn"},             // found as its ANSI form
      {"wininet.dll", "HttpSendRequestA"},
      {"wininet.dll", "HttpSendRequestA"},  // a second declaration of the same
  };
  std::string error;
  ASSERT_TRUE(Resolve(table, &error)) << error;
  EXPECT_EQ(Address(0), Any(&kernel32::GlobalAlloc));
  EXPECT_EQ(Address(1), Any(&kernel32::RtlMoveMemory));
  EXPECT_EQ(Address(2), Any(&kernel32::lstrcpynA));
  EXPECT_EQ(Address(3), Any(&wininet::HttpSendRequestA));
  EXPECT_EQ(Address(4), Address(3));
  EXPECT_EQ(Address(5), nullptr);
  EXPECT_EQ(Address(-1), nullptr);

  // A name no layer exports, or one in the wrong file, is refused by
  // number and name, and the table resolved before stays.
  const DllCommandName wrongFile[] = {{"gdiplus.dll", "GlobalAlloc"}};
  EXPECT_FALSE(Resolve(wrongFile, &error));
  EXPECT_NE(error.find("DLL command 0"), std::string::npos) << error;
  EXPECT_NE(error.find("GlobalAlloc"), std::string::npos) << error;
  const DllCommandName unknown[] = {{"kernel32", "GlobalAlloc"}, {"", "CreateFileW"}};
  EXPECT_FALSE(Resolve(unknown, &error));
  EXPECT_NE(error.find("DLL command 1"), std::string::npos) << error;
  EXPECT_EQ(Address(0), Any(&kernel32::GlobalAlloc));
  EXPECT_EQ(Address(2), Any(&kernel32::lstrcpynA));
}

TEST(DllCommands, TheProgramsWholeTableResolves) {
  std::string error;
  ASSERT_TRUE(Resolve(pixaroo::kDllCommands, &error)) << error;
  for (int n = 0; n < static_cast<int>(pixaroo::kDllCommandCount); ++n) {
    EXPECT_NE(Address(n), nullptr) << n;
  }
  EXPECT_EQ(Address(static_cast<int>(pixaroo::DllCommand::InternetOpenA)),
            Any(&wininet::InternetOpenA));
  EXPECT_EQ(Address(static_cast<int>(pixaroo::DllCommand::HttpSendRequestWithBody)),
            Any(&wininet::HttpSendRequestA));
}

TEST(DllCommands, AProgramWhoseTableDoesNotResolveNeverStarts) {
  pixaroo::testing::TestProgram program;
  const DllCommandName table[] = {{"ole32.dll", "NoSuchFunction"}};
  Program p = program.Program();
  p.dllCommands = table;
  Runtime runtime(p, std::make_unique<HeadlessFront>());
  EXPECT_EQ(runtime.Run(), base::kExitBadDllCommand);
  EXPECT_TRUE(program.Calls().empty());  // not even the window's creation
}

}  // namespace
}  // namespace korvex::dll
