// Conversions on several threads at once give the same bytes as one at a time.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <thread>

#include "imaging/convert_image_format.h"
#include "tests/platform_imaging/test_images.h"

namespace pixaroo {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;

TEST(ConvertImageFormatThreads, SameBytesAsOneAtATime) {
  const auto pic = imaging_test::MakePattern(40, 30, true);
  const base::Bytes inputs[] = {imaging_test::MakeJpeg(pic, 85, TJSAMP_420),
                                imaging_test::MakePngOf(pic),
                                imaging_test::MakePngOf(imaging_test::MakePaletted(20, 20, 9))};
  std::vector<std::vector<base::Bytes>> expected;
  for (const auto& in : inputs) {
    expected.emplace_back();
    for (std::int32_t f = kFormatBmp; f <= kFormatPng; ++f) {
      base::Bytes out;
      ASSERT_TRUE(ConvertImageFormat(in, f, out));
      expected.back().push_back(out);
    }
  }
  std::vector<std::vector<base::Bytes>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int r = 0; r < kRounds; ++r) {
        for (std::size_t i = 0; i < std::size(inputs); ++i) {
          for (std::int32_t f = kFormatBmp; f <= kFormatPng; ++f) {
            // Stagger the order so that different encoders overlap.
            const std::int32_t format = kFormatBmp + (f - kFormatBmp + t) % kFormatPng;
            base::Bytes out;
            ConvertImageFormat(inputs[i], format, out);
            seen[t].push_back(out == expected[i][format - kFormatBmp] ? base::Bytes{1}
                                                                      : base::Bytes{0});
          }
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), std::size_t{kRounds} * std::size(inputs) * kFormatPng);
    for (const auto& ok : seen[t]) EXPECT_EQ(ok, base::Bytes{1}) << "thread " << t;
  }
}

}  // namespace
}  // namespace pixaroo
