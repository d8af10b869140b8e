// The ANSI code page (936) conversion the portable tests use: the platform's on Windows, iconv's
// CP936 in native builds.
#pragma once

#include "ansi_codec.h"

namespace orvanta::testing {

const AnsiCodec& test_codec();

} // namespace orvanta::testing
