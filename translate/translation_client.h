// The translation client: one HTTP GET to the translation service per translation, through the
// platform's request object "Microsoft.XMLHTTP", and the translation cut out of its answer.
//
// Nothing here talks to the user: every failure ends in an empty result. All calls come from one
// thread, the program's user-interface thread. It waits until the answer or the failure is in,
// at most kAnswerTimeLimitMs; meanwhile its windows are repainted, and input and the hot key wait.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

using Text = std::string;       // bytes in the ANSI code page
using ByteBuffer = std::string; // raw bytes, zero bytes included

inline constexpr std::string_view kRequestObjectProgId = "Microsoft.XMLHTTP";

// How long an answer is awaited before the request is given up, from the request to the last byte:
// the request object's own wait for a server that never answers has no end. 30 s is the answer
// time-out the platform's server-side request object uses by default.
inline constexpr unsigned kAnswerTimeLimitMs = 30000;

// Scheme and host of the service, fixed when the program is built.
std::string_view service_origin() noexcept;

// The English translation of a Chinese text, or the empty text when none could be had.
Text 翻译(std::string_view 欲翻译的文本);

// The body of the answer to a GET of the URL, or an empty buffer when the request failed or the
// answer's status is not 2xx.
ByteBuffer http读文件_对象(std::string_view 网址);

// http读文件_对象 through the object of any ProgID (or "{CLSID}"); tests use it to name one that
// does not exist.
ByteBuffer http_read_with_progid(std::string_view url, std::string_view progid);

} // namespace orvanta
