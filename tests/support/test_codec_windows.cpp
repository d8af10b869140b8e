#include "test_codec.h"
#include "windows_ansi_codec.h"

namespace orvanta::testing {

const AnsiCodec& test_codec() { return windows_ansi_codec(); }

} // namespace orvanta::testing
