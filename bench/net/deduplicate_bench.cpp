// De-duplication of the joined photo index: the hash-set version against
// the entry-by-entry linear search it replaced, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "program/routines/program_texts.h"
#include "program/text/deduplicate.h"

namespace {

using pixaroo::Text;
using pixaroo::TextArray;

// n entries, the second half repeating the first: typical photo addresses.
Text JoinedIndex(int n) {
  Text joined;
  const int distinct = n / 2 > 0 ? n / 2 : 1;
  for (int i = 0; i < n; ++i) {
    if (i) joined += pixaroo::Text(pixaroo::texts::kIndexSeparator);
    joined += "/uploads/allimg/2023/0815/" + std::to_string(i % distinct) + "-1Z815.jpg";
  }
  return joined;
}

// The original algorithm: every piece searched for among the kept entries.
Text QuadraticDeduplicate(const Text& text, const Text& separator) {
  const TextArray pieces = base::Split(text, separator);
  TextArray kept;
  Text out;
  for (const Text& piece : pieces) {
    if (pixaroo::IndexOfText(kept, piece) == -1) {
      kept.push_back(piece);
      out += piece + separator;
    }
  }
  return base::Left(out, base::Len(out) - base::Len(separator));
}

void BM_Deduplicate(benchmark::State& state) {
  const Text joined = JoinedIndex(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        pixaroo::DeduplicateJoined(joined, pixaroo::Text(pixaroo::texts::kIndexSeparator)));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Deduplicate)
    ->Arg(25'000)
    ->Arg(50'000)
    ->Arg(100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Reports speedup = quadratic time / hash-set time on the same input.
void BM_SpeedupOverQuadratic(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const Text joined = JoinedIndex(static_cast<int>(state.range(0)));
  const auto q0 = Clock::now();
  const Text reference =
      QuadraticDeduplicate(joined, pixaroo::Text(pixaroo::texts::kIndexSeparator));
  const std::chrono::duration<double> quadratic = Clock::now() - q0;
  std::chrono::duration<double> linear{0};
  std::int64_t runs = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const Text result =
        pixaroo::DeduplicateJoined(joined, pixaroo::Text(pixaroo::texts::kIndexSeparator));
    linear += Clock::now() - t0;
    ++runs;
    if (result != reference) state.SkipWithError("results differ");
  }
  state.counters["speedup"] = quadratic.count() / (linear.count() / static_cast<double>(runs));
}
BENCHMARK(BM_SpeedupOverQuadratic)->Arg(20'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
