#include "iconv_codec.h"
#include "test_codec.h"

namespace orvanta::testing {

const AnsiCodec& test_codec()
{
    static const IconvCp936Codec codec;
    return codec;
}

} // namespace orvanta::testing
