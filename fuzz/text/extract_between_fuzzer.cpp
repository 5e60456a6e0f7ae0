// Text-between extraction with arbitrary text, markers, start and flags.
// Checks: no crash, and a found region is the stated slice of the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "program/text/extract_between.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const bool ignoreCase = in.ConsumeBool();
  const bool includeMarkers = in.ConsumeBool();
  const bool hasSecond = in.ConsumeBool();
  int position = in.ConsumeIntegralInRange<int>(-2, 64);
  const std::string first = in.ConsumeRandomLengthString(16);
  const std::string second = in.ConsumeRandomLengthString(16);
  const std::string end = in.ConsumeRandomLengthString(16);
  const std::string text = in.ConsumeRemainingBytesAsString();
  const std::string result = pixaroo::ExtractBetween(
      text, position, first, hasSecond ? std::optional<std::string_view>(second) : std::nullopt,
      end, ignoreCase, includeMarkers);
  if (position == -1) {
    if (!result.empty()) std::abort();
  } else if (position < 1 || static_cast<std::size_t>(position) - 1 + result.size() > text.size() ||
             text.compare(static_cast<std::size_t>(position) - 1, result.size(), result) != 0) {
    std::abort();
  }
  return 0;
}
