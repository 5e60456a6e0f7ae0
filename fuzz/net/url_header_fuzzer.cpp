// Address and header parsing on arbitrary bytes: the URL routines, marker
// and header-value extraction, response header blocks, cookie merging, and
// the fast de-duplication checked against the entry-by-entry algorithm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/net/cookies.h"
#include "program/net/markers.h"
#include "program/net/url.h"
#include "program/net/web_request.h"
#include "program/text/deduplicate.h"

namespace {

// Inputs longer than this skip the quadratic reference.
constexpr std::size_t kReferenceLimit = 4096;

pixaroo::Text ReferenceDeduplicate(const pixaroo::Text& text, const pixaroo::Text& sep) {
  pixaroo::TextArray kept;
  pixaroo::Text out;
  for (const auto& piece : base::Split(text, sep)) {
    if (pixaroo::IndexOfText(kept, piece) == -1) {
      kept.push_back(piece);
      out += piece + sep;
    }
  }
  return base::Left(out, base::Len(out) - base::Len(sep));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // First line: markers / separator; the rest: the text.
  const auto nl = input.find('\n');
  const std::string head = nl == std::string::npos ? "" : input.substr(0, nl);
  const std::string body = nl == std::string::npos ? input : input.substr(nl + 1);

  (void)pixaroo::UrlHost(body, true, false);
  (void)pixaroo::UrlHost(body, false, true);
  (void)pixaroo::UrlPort(body);
  const pixaroo::Text path = pixaroo::UrlPath(body);
  if (path.empty() || path[0] != '/') std::abort();

  const auto half = head.size() / 2;
  (void)pixaroo::BetweenMarkers(body, head.substr(0, half), head.substr(half),
                                static_cast<int>(size % 7), size % 2 == 0);
  (void)pixaroo::HeaderValue(body);

  pixaroo::Text redirect, received;
  pixaroo::ParseResponseHeaders(body, redirect, received);
  pixaroo::Text jar = head;
  pixaroo::MergeCookies(jar, received);
  // Spaces go from the fresh text; the jar has them only after its ";".
  if (received.find(' ') != std::string::npos) std::abort();
  if (base::Replace(jar, "; ", ";").find(' ') != std::string::npos) std::abort();

  if (size <= kReferenceLimit &&
      pixaroo::DeduplicateJoined(body, head) != ReferenceDeduplicate(body, head)) {
    std::abort();
  }
  return 0;
}
