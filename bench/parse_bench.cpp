// Throughput of the portable core turning response bodies into the translation, against memchr over
// the same bytes (the floor: one pass that looks at every byte and finds nothing).
//
//   parse_bench [--json FILE] [--only TEXT]
//
// Prints one row per body and, with --json, writes the rows as a JSON array. Each body is timed in
// samples that alternate between the core and memchr, so that both see the same machine noise; a
// sample repeats the call often enough to last about a millisecond, so that the clock's resolution does
// not matter for the 1 KB bodies. Time is the thread's CPU time. Rates are MB/s (MB = 2^20 bytes):
// median, min and max over the samples.
//
// The code page conversion is iconv's here, a stand-in for the platform's; the time spent in it is
// measured apart, so that the core's own rate shows without it ("without codec").
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <time.h>

#include "iconv_codec.h"
#include "response_parser.h"
#include "unicode.h"

namespace {

// The thread's CPU time, not the wall clock: the machines this runs on are shared, and time the
// thread spends waiting for a core is no cost of the code under test.
double cpu_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr std::size_t kKilobyte = std::size_t{1} << 10;
constexpr std::size_t kMegabyte = std::size_t{1} << 20;
constexpr int kSamples = 21;
constexpr double kSampleSeconds = 1e-3;
// The byte memchr looks for: never in a body, so memchr reads every byte.
constexpr char kAbsentByte = '\x01';

struct Body {
    std::string name;
    std::string size_label;
    std::size_t segments = 0;
    bool utf8 = false;
    std::string bytes;
    std::string expected_utf8; // the translation, before it is brought into the code page
};

std::string body_name(const char* size_label, bool many, bool utf8)
{
    return std::string(size_label) + (many ? " many-segments " : " one-segment ") + (utf8 ? "utf8" : "ascii");
}

// A body shaped like the service's answer to a text of `segments` sentences, about `size` bytes:
// [[["<English>","<Chinese>",null,null,3],...],null,"zh-CN"]. The ASCII bodies carry the Chinese
// source as \u escapes; the UTF-8 ones carry it raw and have curly quotes and accents in the English.
Body segment_body(const char* size_label, std::size_t size, bool many, bool utf8)
{
    const std::string_view sentence =
        utf8 ? "The caf\xC3\xA9 said \xE2\x80\x9Cwelcome\xE2\x80\x9D to every guest. "
             : "The shop said hello to every guest today. ";
    const std::string_view source =
        utf8 ? "\xE5\x92\x96\xE5\x95\xA1\xE9\xA6\x86\xE6\xAC\xA2\xE8\xBF\x8E"
               "\xE6\xAF\x8F\xE4\xBD\x8D\xE5\xAE\xA2\xE4\xBA\xBA\xE3\x80\x82"
             : R"(\u5496\u5561\u9986\u6b22\u8fce\u6bcf\u4f4d\u5ba2\u4eba\u3002)";
    constexpr std::string_view kHead = "[[";
    constexpr std::string_view kTail = "],null,\"zh-CN\"]";
    constexpr std::string_view kSegmentTail = "\",null,null,3]";
    const std::size_t overhead = 3 + 3 + source.size() + kSegmentTail.size(); // ,[" and ","

    Body body;
    body.name = body_name(size_label, many, utf8);
    body.size_label = size_label;
    body.utf8 = utf8;
    const std::size_t room = size - kHead.size() - kTail.size(); // for the segments, commas included
    // Sentence-sized segments when many; otherwise one segment whose text is padded with spaces to
    // the exact size, so that the growth from 1 MB to 16 MB is the body's alone.
    const std::size_t text_length = many ? sentence.size() : room - overhead + 1;
    body.segments = many ? room / (text_length + overhead) : 1;
    body.bytes.reserve(size);
    body.bytes += kHead;
    for (std::size_t made = 0; made < body.segments; ++made) {
        std::string text;
        while (text.size() + sentence.size() <= text_length) text += sentence;
        text.append(text_length - text.size(), ' ');
        body.bytes += made == 0 ? "[\"" : ",[\"";
        body.bytes += text;
        body.bytes += "\",\"";
        body.bytes += source;
        body.bytes += kSegmentTail;
        body.expected_utf8 += text;
    }
    body.bytes += kTail;
    return body;
}

// Read through a volatile pointer on each call, so the compiler can neither hoist a call out of its
// loop nor assume the bytes are the same as last time.
const char* volatile g_data;
volatile std::size_t g_sink;

// Passes conversions on and keeps what it was asked to convert, so that the codec's share of a parse
// can be timed apart, by repeating just those conversions.
class RecordingCodec final : public orvanta::AnsiCodec {
public:
    explicit RecordingCodec(const orvanta::AnsiCodec& codec) : codec_(codec) {}

    std::u16string to_utf16(std::string_view ansi) const override
    {
        to_inputs_.emplace_back(ansi);
        return codec_.to_utf16(ansi);
    }

    std::string from_utf16(std::u16string_view utf16) const override
    {
        from_inputs_.emplace_back(utf16);
        return codec_.from_utf16(utf16);
    }

    bool asked() const { return !to_inputs_.empty() || !from_inputs_.empty(); }

    // The same conversions again.
    void repeat() const
    {
        for (const std::string& ansi : to_inputs_) g_sink = codec_.to_utf16(ansi).size();
        for (const std::u16string& utf16 : from_inputs_) g_sink = codec_.from_utf16(utf16).size();
    }

private:
    const orvanta::AnsiCodec& codec_;
    mutable std::vector<std::string> to_inputs_;
    mutable std::vector<std::u16string> from_inputs_;
};

struct Rates {
    double median = 0;
    double min = 0;
    double max = 0;
    double median_seconds = 0; // one call
};

Rates rates_of(std::vector<double> seconds_per_call, std::size_t bytes)
{
    std::sort(seconds_per_call.begin(), seconds_per_call.end());
    const double mb = static_cast<double>(bytes) / kMegabyte;
    const double median = seconds_per_call[seconds_per_call.size() / 2];
    return {mb / median, mb / seconds_per_call.back(), mb / seconds_per_call.front(), median};
}

// Seconds per call of `fn`, one sample of `calls` calls.
template <typename Fn>
double sample(Fn& fn, int calls)
{
    const double start = cpu_seconds();
    for (int c = 0; c < calls; ++c) fn();
    return (cpu_seconds() - start) / calls;
}

// Calls per sample for about kSampleSeconds of work, from a first timed call after a warm-up.
template <typename Fn>
int calls_per_sample(Fn& fn)
{
    fn();
    const double once = sample(fn, 1);
    return static_cast<int>(std::clamp(kSampleSeconds / std::max(once, 1e-9), 1.0, 1e6));
}

struct Row {
    const Body* body;
    Rates core;
    Rates core_without_codec;
    double codec_share; // of the core's median time
    Rates floor;
    // 16 MB time over 1 MB time, on the 16 MB rows, of the core and of memchr: beyond the caches
    // not even memchr grows linearly.
    std::optional<double> growth;
    std::optional<double> memchr_growth;
};

bool wanted(const std::string& name, const char* only)
{
    return only == nullptr || name.find(only) != std::string::npos;
}

void write_json(std::FILE* out, const std::vector<Row>& rows)
{
    std::fputs("[\n", out);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const Body& body = *row.body;
        std::fprintf(out,
                     "  {\"name\": \"%s\", \"bytes\": %zu, \"segments\": %zu, \"encoding\": \"%s\", "
                     "\"samples\": %d, \"parse_seconds\": %.9f, \"parse_mb_s\": %.1f, \"parse_mb_s_min\": %.1f, "
                     "\"parse_mb_s_max\": %.1f, \"memchr_seconds\": %.9f, \"memchr_mb_s\": %.1f, "
                     "\"memchr_mb_s_min\": %.1f, \"memchr_mb_s_max\": %.1f, \"ratio_to_memchr\": %.4f, "
                     "\"codec_share\": %.3f, \"parse_mb_s_without_codec\": %.1f, "
                     "\"parse_mb_s_without_codec_min\": %.1f, \"parse_mb_s_without_codec_max\": %.1f, "
                     "\"ratio_to_memchr_without_codec\": %.4f",
                     body.name.c_str(), body.bytes.size(), body.segments, body.utf8 ? "utf8" : "ascii", kSamples,
                     row.core.median_seconds, row.core.median, row.core.min, row.core.max, row.floor.median_seconds,
                     row.floor.median, row.floor.min, row.floor.max, row.core.median / row.floor.median,
                     row.codec_share,
                     row.core_without_codec.median, row.core_without_codec.min, row.core_without_codec.max,
                     row.core_without_codec.median / row.floor.median);
        if (row.growth) {
            std::fprintf(out, ", \"growth_16mb_over_1mb\": %.2f, \"memchr_growth_16mb_over_1mb\": %.2f", *row.growth,
                         *row.memchr_growth);
        }
        std::fprintf(out, "}%s\n", i + 1 < rows.size() ? "," : "");
    }
    std::fputs("]\n", out);
}

} // namespace

int main(int argc, char** argv)
{
    const char* json_path = nullptr;
    const char* only = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--json" && i + 1 < argc) {
            json_path = argv[++i];
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--json FILE] [--only TEXT]\n", argv[0]);
            return 2;
        }
    }

    const orvanta::testing::IconvCp936Codec codec;
    std::vector<Body> bodies;
    for (const auto& [label, size] : {std::pair{"1KB", kKilobyte}, {"1MB", kMegabyte}, {"16MB", 16 * kMegabyte}}) {
        for (const bool utf8 : {false, true}) {
            for (const bool many : {false, true}) {
                if (wanted(body_name(label, many, utf8), only)) bodies.push_back(segment_body(label, size, many, utf8));
            }
        }
    }

    std::vector<Row> rows;
    std::printf("%-26s %9s %7s %24s %7s %24s %7s %7s %s\n", "body", "bytes", "segs", "core MB/s med [min-max]",
                "codec", "memchr MB/s med [min-max]", "ratio", "-codec", "16/1MB (memchr)");
    for (const Body& body : bodies) {
        // The core must have done the whole job, or its rate means nothing.
        const std::string expected =
            body.utf8 ? codec.from_utf16(orvanta::utf8_to_utf16(body.expected_utf8)) : body.expected_utf8;
        const RecordingCodec recording(codec);
        if (orvanta::extract_translation(body.bytes, recording) != expected) {
            std::fprintf(stderr, "%s: the core gave a wrong translation\n", body.name.c_str());
            return 1;
        }
        g_data = body.bytes.data();
        const std::size_t size = body.bytes.size();
        auto core = [&] { g_sink = orvanta::extract_translation(std::string_view(g_data, size), codec).size(); };
        auto floor = [&] { g_sink = reinterpret_cast<std::uintptr_t>(std::memchr(g_data, kAbsentByte, size)); };
        floor();
        if (g_sink != 0) {
            std::fprintf(stderr, "%s: the body holds the byte memchr looks for\n", body.name.c_str());
            return 1;
        }

        auto conversions = [&] { recording.repeat(); };

        const int core_calls = calls_per_sample(core);
        const int floor_calls = calls_per_sample(floor);
        const int codec_calls = recording.asked() ? calls_per_sample(conversions) : 0;
        std::vector<double> core_seconds;
        std::vector<double> core_seconds_without_codec;
        std::vector<double> floor_seconds;
        for (int s = 0; s < kSamples; ++s) {
            core_seconds.push_back(sample(core, core_calls));
            const double codec_seconds = codec_calls > 0 ? sample(conversions, codec_calls) : 0;
            core_seconds_without_codec.push_back(std::max(core_seconds.back() - codec_seconds, 1e-12));
            floor_seconds.push_back(sample(floor, floor_calls));
        }
        Row row{&body, rates_of(core_seconds, size), rates_of(core_seconds_without_codec, size), 0,
                rates_of(floor_seconds, size), std::nullopt, std::nullopt};
        row.codec_share = 1 - row.core_without_codec.median_seconds / row.core.median_seconds;
        if (body.size_label == "16MB") {
            const auto small = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
                return r.body->size_label == "1MB" && r.body->utf8 == body.utf8 &&
                       (r.body->segments > 1) == (body.segments > 1);
            });
            if (small != rows.end()) {
                row.growth = row.core.median_seconds / small->core.median_seconds;
                row.memchr_growth = row.floor.median_seconds / small->floor.median_seconds;
            }
        }
        rows.push_back(row);

        char core_text[64];
        char floor_text[64];
        char growth_text[32] = "";
        std::snprintf(core_text, sizeof core_text, "%.0f [%.0f-%.0f]", row.core.median, row.core.min, row.core.max);
        std::snprintf(floor_text, sizeof floor_text, "%.0f [%.0f-%.0f]", row.floor.median, row.floor.min,
                      row.floor.max);
        if (row.growth) std::snprintf(growth_text, sizeof growth_text, "%.1f (%.1f)", *row.growth, *row.memchr_growth);
        std::printf("%-26s %9zu %7zu %24s %6.0f%% %24s %7.4f %7.4f %s\n", body.name.c_str(), size, body.segments,
                    core_text, 100 * row.codec_share, floor_text, row.core.median / row.floor.median,
                    row.core_without_codec.median / row.floor.median, growth_text);
        std::fflush(stdout);
    }

    if (json_path != nullptr) {
        std::FILE* json = std::fopen(json_path, "w");
        if (json == nullptr) {
            std::fprintf(stderr, "cannot write %s\n", json_path);
            return 1;
        }
        write_json(json, rows);
        std::fclose(json);
    }
    return 0;
}
