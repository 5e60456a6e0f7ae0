// A test fixture that holds one GDI+ start-up for the length of each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/gdiplus/gdiplus.h"

namespace gdiplus {

class GdiplusStarted : public ::testing::Test {
 protected:
  void SetUp() override {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
  }
  void TearDown() override { GdiplusShutdown(token_); }
  ULONG_PTR token_ = 0;
};

}  // namespace gdiplus
