// Batch extraction speed.
//
// BM_HrefRatio collects every href value of a 2 MB list region with 5,000
// links through ExtractAllBetween and, in the same iterations, with a plain
// byte scanner doing the same job; the counter "ratio" is the first time
// over the second (target: at most 4).
// BM_OneLinePage runs both extraction routines over pages of 1 to 5 MB with
// no line break, to show the time grows linearly with the page.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>

#include "program/text/extract_all_between.h"
#include "program/text/extract_between.h"

namespace pixaroo {
namespace {

constexpr int kLinks = 5000;
constexpr std::size_t kRegionBytes = 2u << 20;
const Text kTitle = "\xC3\xC0\xC5\xAE\xCD\xBC\xC6\xAC";  // 美女图片

// A list region: kLinks items of roughly equal size, Chinese titles, padded
// with markup to kRegionBytes.
Text ListRegion(bool oneLine) {
  const std::size_t perItem = kRegionBytes / kLinks;
  Text region;
  region.reserve(kRegionBytes + perItem);
  for (int i = 0; i < kLinks; ++i) {
    const std::string n = std::to_string(100000 + i);
    Text item = "<li><a class=\"img\" href=\"/nvshengzhenrenxiu/" + n + ".html\" title=\"" +
                kTitle + n + "\"><img data-original=\"/uploads/" + n + ".jpg\" alt=\"" + kTitle +
                "\"></a><p class=\"intro\">";
    while (item.size() + 12 < perItem) item += kTitle + " ";
    item += "</p></li>";
    item += oneLine ? ' ' : '\n';
    region += item;
  }
  return region;
}

// The reference: a byte loop finding href=" (letters in any case) and the
// next double quote.
int PlainHrefScan(std::string_view text, TextArray& out) {
  out.clear();
  constexpr std::string_view kLeft = "href=\"";
  std::size_t i = 0;
  while (i + kLeft.size() <= text.size()) {
    bool hit = true;
    for (std::size_t k = 0; k < kLeft.size() && hit; ++k) {
      char c = text[i + k];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      hit = c == kLeft[k];
    }
    if (!hit) {
      ++i;
      continue;
    }
    const std::size_t start = i + kLeft.size();
    const std::size_t end = text.find('"', start);
    if (end == std::string_view::npos) break;
    out.emplace_back(text.substr(start, end - start));
    i = end + 1;
  }
  return static_cast<int>(out.size());
}

using Clock = std::chrono::steady_clock;

void BM_HrefRatio(benchmark::State& state) {
  const Text region = ListRegion(false);
  TextArray a;
  TextArray b;
  double extractSeconds = 0;
  double scanSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(ExtractAllBetween(region, "href=\"", "\"", a));
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(PlainHrefScan(region, b));
    const auto t2 = Clock::now();
    extractSeconds += std::chrono::duration<double>(t1 - t0).count();
    scanSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  if (a != b || static_cast<int>(a.size()) != kLinks) state.SkipWithError("results differ");
  state.counters["ratio"] = scanSeconds > 0 ? extractSeconds / scanSeconds : 0;
  state.counters["extract_ms"] = extractSeconds * 1000 / static_cast<double>(state.iterations());
  state.counters["scan_ms"] = scanSeconds * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HrefRatio)->Unit(benchmark::kMillisecond);

void BM_OneLinePage(benchmark::State& state) {
  Text page;
  const Text region = ListRegion(true);
  const auto megabytes = static_cast<int>(state.range(0));
  page = "<html><body><div class=\"list\">";
  for (int i = 0; i < megabytes / 2; ++i) page += region;
  if (megabytes % 2 != 0) page += region.substr(0, region.size() / 2);
  page += "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a></div></body></html>";  // 首页
  TextArray links;
  for (auto _ : state) {
    int pos = 0;
    const Text cut = ExtractBetween(page, pos, "<a class=\"img\" href=\"", std::nullopt,
                                    "<div class=\"pagination\"><a>\xCA\xD7\xD2\xB3</a>");
    benchmark::DoNotOptimize(ExtractAllBetween(cut, "href=\"", "\"", links));
  }
  state.SetComplexityN(static_cast<std::int64_t>(page.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_OneLinePage)
    ->DenseRange(1, 5, 2)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace pixaroo

BENCHMARK_MAIN();
