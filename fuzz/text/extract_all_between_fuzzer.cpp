// Batch extraction with arbitrary text, markers and options. Checks: no
// crash, the count matches the array, every element honours the length
// limit and carries the requested prefix, suffix and markers, and COM use
// is balanced after every call.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "platform/com/com.h"
#include "program/text/extract_all_between.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int maxLength = in.ConsumeIntegralInRange<int>(0, 8);
  const bool includeLeft = in.ConsumeBool();
  const bool includeRight = in.ConsumeBool();
  const std::string left = in.ConsumeRandomLengthString(12);
  const std::string right = in.ConsumeRandomLengthString(12);
  const std::string prefix = in.ConsumeRandomLengthString(4);
  const std::string suffix = in.ConsumeRandomLengthString(4);
  const std::string text = in.ConsumeRemainingBytesAsString();
  pixaroo::TextArray out{"stale"};
  const int n = pixaroo::ExtractAllBetween(text, left, right, out, maxLength, prefix, suffix,
                                           includeLeft, includeRight);
  if (n != static_cast<int>(out.size()) || com::ComInitCountOnThisThread() != 0) std::abort();
  const std::string head = (includeLeft ? left : std::string()) + prefix;
  const std::string tail = suffix + (includeRight ? right : std::string());
  for (const std::string& e : out) {
    if (e.size() < head.size() + tail.size() || e.compare(0, head.size(), head) != 0 ||
        e.compare(e.size() - tail.size(), tail.size(), tail) != 0) {
      std::abort();
    }
    const std::size_t inner = e.size() - head.size() - tail.size();
    if (maxLength != 0 && inner > static_cast<std::size_t>(maxLength)) std::abort();
  }
  return 0;
}
