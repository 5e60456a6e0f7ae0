// Conversions on several threads at once give the same bytes as one at a
// time; no more run at once than the machine has cores, and one that waited
// for its turn is asked then whether it is still wanted.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "program/imaging/convert_image_format.h"
#include "tests/platform/gdiplus/test_images.h"

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

TEST(ConvertImageFormatThreads, OneAtATimeAndALaterOneAskedWhenItsTurnComes) {
  const unsigned atOnce = kConversionsAtOnce;
  const base::Bytes png = imaging_test::MakePngOf(imaging_test::MakePattern(8, 6, false));
  base::Bytes expected;
  ASSERT_TRUE(ConvertImageFormat(png, kFormatBmp, expected));

  // As many conversions as run at once take their turn and holds it inside `wanted`
  // until the gate opens; then each declines.
  std::mutex mutex;
  std::condition_variable changed;
  unsigned inside = 0;
  bool open = false;
  std::atomic<int> declined{0};
  std::vector<char> results(atOnce, 1);
  std::vector<base::Bytes> outs(atOnce, base::Bytes{7});
  std::vector<std::thread> holders;
  for (unsigned i = 0; i < atOnce; ++i) {
    holders.emplace_back([&, i] {
      results[i] = ConvertImageFormatIfWanted(png, kFormatBmp, outs[i], [&] {
        std::unique_lock lock(mutex);
        ++inside;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
        ++declined;
        return false;
      });
    });
  }
  {
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::minutes(1), [&] { return inside == atOnce; }));
  }
  // One more waits for a turn; it is asked only once a holder has let go.
  int declinedWhenAsked = -1;
  base::Bytes late;
  bool lateResult = false;
  std::thread later([&] {
    lateResult = ConvertImageFormatIfWanted(png, kFormatBmp, late, [&] {
      declinedWhenAsked = declined.load();
      return true;
    });
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (ConversionsWaiting() != 1 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(ConversionsWaiting(), 1);  // the race is reached: it waits
  {
    std::lock_guard lock(mutex);
    open = true;
  }
  changed.notify_all();
  for (auto& holder : holders) holder.join();
  later.join();
  EXPECT_GE(declinedWhenAsked, 1);
  EXPECT_TRUE(lateResult);
  EXPECT_EQ(late, expected);
  // Not wanted: nothing converted, the result untouched.
  for (unsigned i = 0; i < atOnce; ++i) {
    EXPECT_FALSE(results[i]);
    EXPECT_EQ(outs[i], base::Bytes{7});
  }
}

}  // namespace
}  // namespace pixaroo
