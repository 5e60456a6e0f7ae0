// The web request routine: one HTTP or HTTPS request through the WinINet
// layer, returning the response body.
//
// Every parameter but `url` is optional. In/out and out parameters point at
// the caller's variables (null = left out); they are written only once the
// request handle is open, and a call that fails before that (a handle that
// cannot be opened) leaves all of them untouched. `proxy` counts when
// present, even empty. The pointed-to variables must be distinct.
//
// Blocking; keeps no state between calls. Any thread; concurrent calls are
// independent. Transfers obey the shared time-outs, body cap and cancel
// switch (runtime/inet/transfer_limits.h).
#pragma once

#include <optional>

#include "base/bytes.h"
#include "base/text_ops.h"

namespace pixaroo {

using base::Bytes;
using base::Text;

inline constexpr char kDefaultUserAgent[] =
    "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";
inline constexpr int kReadChunk = 0x400;
inline constexpr int kRawHeaderBuffer = 0x1388;
inline constexpr char kHttpVersion[] = "HTTP/1.1";

struct WebRequestParams {
  Text url;
  // 1: POST; anything else GET. Non-zero sends the body (so 2: GET + body).
  int method = 0;
  // Body text, used when the body bytes are empty.
  Text postText;
  // in/out: cookie jar sent as "Cookie:", then replaced by the merged jar.
  Text* sendCookies = nullptr;
  // out: cookies this response set, spaces removed.
  Text* receivedCookies = nullptr;
  // in/out: extra header lines (CR LF between); ends as the text sent.
  Text* headers = nullptr;
  // out: the "Location:" value, else the whole raw header block.
  Text* redirectUrl = nullptr;
  // Turns automatic redirects off.
  bool noRedirect = false;
  // in/out: body bytes; filled from postText when empty and a body is sent.
  Bytes* postBytes = nullptr;
  // "host:port"; when present the request goes through that http proxy.
  std::optional<Text> proxy;
  // out: the response's raw header block, CR LF after each line.
  Text* rawHeaders = nullptr;
};

// The header block used when the caller gives none: Referer (the address
// as given), Accept, Accept-Language, User-Agent and Content-Type lines.
Text DefaultHeaderBlock(const Text& url);

// Works through a raw response header block line by line: a line holding
// "Location:" sets `redirectUrl` to its value (a later one wins); a line
// holding "Set-Cookie" appends its first cookie piece and "; " to
// `receivedCookies`. Neither is cleared first.
void ParseResponseHeaders(const Text& rawHeaders, Text& redirectUrl, Text& receivedCookies);

// Performs the request; the body (empty when nothing could be read).
Bytes WebRequest(const WebRequestParams& params);

}  // namespace pixaroo
