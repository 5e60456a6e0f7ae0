// WinINet-shaped HTTP calls (ANSI), on Linux over the internet library's
// curl transfers.
//
// Handles form the platform's tree: InternetOpenA gives an internet handle
// (agent, access type, proxy), InternetConnectA a connection handle (host,
// port), HttpOpenRequestA a request handle (verb, path, flags). The whole
// exchange happens in HttpSendRequestA: the response's body is kept by the
// request handle and handed out by InternetReadFile; HttpQueryInfoA gives the
// final response's raw header block. Each handle copies what it needs from
// its parent, so handles may be closed in any order. The connect and
// no-progress time-outs, the body cap and the cancel switch of
// platform/transfer/transfer_limits.h apply to every request: hitting one
// fails HttpSendRequestA, and no response is kept. GetLastError then says
// why: ERROR_INTERNET_TIMEOUT for any time-out, ..._OPERATION_CANCELLED,
// ..._CANNOT_CONNECT, ..._INVALID_URL, HTTP_REDIRECT_FAILED for a redirect
// off the site, HTTP_INVALID_SERVER_RESPONSE for a header block over its
// cap, ..._CONNECTION_ABORTED for a body over its cap or a broken exchange.
//
// Request flags map one to one: RELOAD = no cache (there is none),
// NO_COOKIES = no cookie engine at all (otherwise a process-wide store),
// NO_AUTO_REDIRECT = the first response is final (otherwise redirects are
// followed), IGNORE_REDIRECT_TO_HTTPS = an http request may follow a
// redirect to an https address (without it, a redirect that changes the
// scheme is not followed and the redirect response itself comes back; an
// https request never follows one to http), SECURE = TLS with the
// certificate verified. NEED_FILE has no effect. A request carries the header text given, the agent
// as User-Agent unless that text has its own, Host and, with a body, Content-Length.
//
// Thread safety: every function may be called from any thread; handles are
// checked against the live set, so a closed or made-up handle fails cleanly.
// One request handle is used by one thread at a time (calls on it wait for
// each other). GetLastError is per thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32/types.h"

namespace wininet {

using win32::BOOL;
using win32::DWORD;
using win32::DWORD_PTR;
using win32::FALSE;
using win32::LPCSTR;
using win32::LPVOID;
using win32::TRUE;

using INTERNET_PORT = std::uint16_t;

struct InternetObject;
using HINTERNET = InternetObject*;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr DWORD INTERNET_SERVICE_HTTP = 3;
inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr DWORD INTERNET_FLAG_NEED_FILE = 0x00000010;
inline constexpr DWORD INTERNET_FLAG_MUST_CACHE_REQUEST = INTERNET_FLAG_NEED_FILE;
inline constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000;
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;

inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;

// A header or option length meaning "up to the terminating NUL".
inline constexpr DWORD kLengthFromNul = 0xFFFFFFFF;

inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                        DWORD flags);
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort,
                           LPCSTR userName, LPCSTR password, DWORD service, DWORD flags,
                           DWORD_PTR context);
HINTERNET HttpOpenRequestA(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version,
                           LPCSTR referrer, LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
// Sends the request and receives the whole response. `headers` holds
// `headersLength` bytes (kLengthFromNul: up to its NUL); `optional` the body.
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                      DWORD optionalLength);
// Copies up to `toRead` further body bytes; *read is 0 at the end of the
// body and after any failure.
BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, DWORD* read);
// Writes the NUL-terminated text and sets *bufferLength to its length. When
// the buffer is missing or too small: FALSE, ERROR_INSUFFICIENT_BUFFER and
// *bufferLength = bytes needed, NUL included. Without a response: FALSE and
// ERROR_HTTP_HEADER_NOT_FOUND.
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, DWORD* bufferLength,
                    DWORD* index);
BOOL InternetCloseHandle(HINTERNET handle);
// The error of this thread's last failed call above.
DWORD GetLastError();

// Test seam: `trace` receives one line per open and close call as it is
// made (e.g. "HttpOpenRequestA(GET, /p, HTTP/1.1, 0x80084010)"), and the
// call named `failCall` fails as if the platform refused it. Empty hooks
// switch both off. Not for use while requests run on other threads.
// Defined in the test-only library pixaroo_wininet_testing.
struct TestHooks {
  std::function<void(const std::string&)> trace;
  std::string failCall;
};
void SetTestHooks(TestHooks hooks);

}  // namespace wininet
