// Checks shared by the imaging tests: convert to BMP and compare pixels.
#pragma once

#include <gtest/gtest.h>

#include "program/imaging/convert_image_format.h"
#include "tests/platform/gdiplus/test_images.h"

namespace pixaroo {

// The BMP that converting `file` gives, read back; width 0 on failure.
inline imaging_test::Picture BmpOf(const imaging_test::Bytes& file) {
  base::Bytes out;
  if (!ConvertImageFormat(file, kFormatBmp, out) || out.size() < 2 || out[0] != 'B' ||
      out[1] != 'M') {
    return {};
  }
  return imaging_test::ReadSimpleBmp(out);
}

#define EXPECT_BMP_OF(file, expected, tolerance, withAlpha)                \
  do {                                                                     \
    const imaging_test::Picture got_ = BmpOf(file);                        \
    ASSERT_EQ(got_.width, (expected).width);                               \
    ASSERT_EQ(got_.height, (expected).height);                             \
    EXPECT_EQ(got_.hasAlpha, (withAlpha));                                 \
    EXPECT_LE(imaging_test::MaxDifference(got_, (expected)), (tolerance)); \
  } while (0)

}  // namespace pixaroo
