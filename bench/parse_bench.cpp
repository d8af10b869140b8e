// Throughput of the portable core turning response bodies into the translation, against memchr over
// the same bytes (the floor: one pass that looks at every byte and finds nothing).
// Prints one row per body and writes the rows as JSON to the file named by the first argument.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "iconv_codec.h"
#include "response_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Body {
    std::string name;
    std::string bytes;
};

// A body of `segments` sentence segments reaching `size` bytes, as the service answers a long text.
std::string segment_body(std::size_t size, std::size_t segments, bool utf8)
{
    const std::string source = utf8 ? "\xE4\xBD\xA0\xE5\xA5\xBD\xE3\x80\x82" : "ni hao.";
    const std::size_t per_segment = std::max<std::size_t>(1, size / segments);
    std::string body = "[[";
    for (std::size_t made = 0; made < segments; ++made) {
        std::string text;
        const std::size_t length = per_segment > 48 ? per_segment - 48 : 1;
        while (text.size() < length) text += utf8 ? "Caf\xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D. " : "Hello world. ";
        body += (made == 0 ? "[\"" : ",[\"") + text + "\",\"" + source + "\",null,null,3]";
    }
    body += "],null,\"zh-CN\"]";
    return body;
}

template <typename Fn>
double best_seconds(Fn&& fn, std::size_t bytes)
{
    // Enough repetitions for about 0.3 s of work per body, best of them.
    const int repetitions = static_cast<int>(std::clamp<std::size_t>((300u << 20) / std::max<std::size_t>(bytes, 1), 3, 20000));
    double best = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

volatile std::size_t g_sink;

} // namespace

int main(int argc, char** argv)
{
    const orvanta::testing::IconvCp936Codec codec;
    std::vector<Body> bodies;
    for (const auto& [label, size] : {std::pair{"1KB", std::size_t{1} << 10}, {"1MB", std::size_t{1} << 20},
                                      {"16MB", std::size_t{16} << 20}}) {
        for (const bool utf8 : {false, true}) {
            const char* charset = utf8 ? "utf8" : "ascii";
            bodies.push_back({std::string(label) + " one-segment " + charset, segment_body(size, 1, utf8)});
            bodies.push_back({std::string(label) + " many-segments " + charset,
                              segment_body(size, std::max<std::size_t>(2, size / 64), utf8)});
        }
    }

    std::FILE* json = argc > 1 ? std::fopen(argv[1], "w") : nullptr;
    if (json) std::fputs("[\n", json);
    std::printf("%-28s %12s %12s %12s %10s\n", "body", "bytes", "core MB/s", "memchr MB/s", "ratio");
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const Body& body = bodies[i];
        const double core = best_seconds([&] { g_sink = orvanta::extract_translation(body.bytes, codec).size(); },
                                         body.bytes.size());
        const double floor = best_seconds(
            [&] { g_sink = reinterpret_cast<std::size_t>(std::memchr(body.bytes.data(), '\x01', body.bytes.size())); },
            body.bytes.size());
        const double mb = static_cast<double>(body.bytes.size()) / (1 << 20);
        std::printf("%-28s %12zu %12.1f %12.1f %10.3f\n", body.name.c_str(), body.bytes.size(), mb / core, mb / floor,
                    floor / core);
        if (json) {
            std::fprintf(json,
                         "  {\"body\": \"%s\", \"bytes\": %zu, \"core_seconds\": %.9f, \"memchr_seconds\": %.9f, "
                         "\"core_mb_per_s\": %.1f, \"memchr_mb_per_s\": %.1f}%s\n",
                         body.name.c_str(), body.bytes.size(), core, floor, mb / core, mb / floor,
                         i + 1 < bodies.size() ? "," : "");
        }
    }
    if (json) {
        std::fputs("]\n", json);
        std::fclose(json);
    }
    return 0;
}
