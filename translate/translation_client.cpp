#include "translation_client.h"

#include "response_parser.h"
#include "url_encoding.h"
#include "windows_ansi_codec.h"

#ifndef ORVANTA_SERVICE_ORIGIN
#error "ORVANTA_SERVICE_ORIGIN must name the translation service, for example https://host"
#endif

namespace orvanta {

std::string_view service_origin() noexcept { return ORVANTA_SERVICE_ORIGIN; }

// listing: 翻译
Text 翻译(std::string_view 欲翻译的文本)
{
    const AnsiCodec& codec = windows_ansi_codec();
    const ByteBuffer body = http读文件_对象(build_request_url(service_origin(), 欲翻译的文本, codec));
    return extract_translation(body, codec);
}

// listing: http读文件_对象
ByteBuffer http读文件_对象(std::string_view 网址)
{
    return http_read_with_progid(网址, kRequestObjectProgId);
}

} // namespace orvanta
