// The request URL of a translation: a fixed prefix, the source text percent-encoded as UTF-8, and a
// fixed suffix.
#pragma once

#include <string>
#include <string_view>

#include "ansi_codec.h"

namespace orvanta {

inline constexpr std::string_view kRequestPath = "/translate_a/t?client=t&text=";
inline constexpr std::string_view kRequestSuffix = "&slzh-CN&tl=en";

// Every byte other than A-Z a-z 0-9 - . _ ~ as %XX (upper-case hex).
std::string percent_encode(std::string_view bytes);

// origin + path + the ANSI text converted to UTF-8 and percent-encoded + suffix.
std::string build_request_url(std::string_view origin, std::string_view ansi_text, const AnsiCodec& codec);

} // namespace orvanta
