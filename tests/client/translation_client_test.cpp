// The translation client through the platform's real Microsoft.XMLHTTP object, against the loopback
// fake of the service.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include "fake_service.h"
#include "translation_client.h"

namespace orvanta {
namespace {

using testing::FakeAnswer;
using testing::FakeService;
using testing::json_answer;

constexpr std::uint16_t kPort = ORVANTA_TEST_SERVICE_PORT;

class TranslationClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.listening()) << "port " << kPort << " is taken"; }

    FakeService service_{kPort};
};

TEST(Platform, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }

TEST_F(TranslationClientTest, SourceTextArrivesUtf8PercentEncoded)
{
    const std::pair<std::string, std::string> cases[] = {
        {"你好", "%E4%BD%A0%E5%A5%BD"},
        {" ", "%20"},
        {"a b&c#d+e%f", "a%20b%26c%23d%2Be%25f"},
        {"第一行\r\n第二行", "%E7%AC%AC%E4%B8%80%E8%A1%8C%0D%0A%E7%AC%AC%E4%BA%8C%E8%A1%8C"},
    };
    service_.answer_with(json_answer(R"([[["ok","x"]]])"));
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(翻译(text), "ok");
        ASSERT_FALSE(service_.request_lines().empty());
        EXPECT_EQ(service_.request_lines().back(),
                  "GET /translate_a/t?client=t&text=" + encoded + "&slzh-CN&tl=en HTTP/1.1");
    }
    EXPECT_EQ(service_.request_lines().size(), std::size(cases));
}

struct AnswerCase {
    const char* name;
    FakeAnswer answer;
    std::string expected;
};

FakeAnswer with_status(int status, const char* reason, std::string body)
{
    FakeAnswer answer = json_answer(std::move(body));
    answer.status = status;
    answer.reason = reason;
    return answer;
}

FakeAnswer ending(FakeAnswer::Ending how, std::string body)
{
    FakeAnswer answer = json_answer(std::move(body));
    answer.ending = how;
    return answer;
}

class AnswerTest : public TranslationClientTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, ResultIsTheTranslationOrEmpty)
{
    service_.answer_with(GetParam().answer);
    EXPECT_EQ(翻译("你好世界"), GetParam().expected);
    EXPECT_EQ(service_.request_lines().size(), 1u);
}

const std::string kPageWithMarkers = R"(<html>["Quota exceeded","x"]</html>)";

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswerTest,
    ::testing::Values(
        AnswerCase{"normal", json_answer(R"([[["Hello world","x",null,null,10]],null,"zh-CN"])"), "Hello world"},
        AnswerCase{"utf8_answer", json_answer(std::string(reinterpret_cast<const char*>(u8"[\"Café “ok”\",\"\"]"))),
                   "Caf\xA8\xA6 “ok”"},
        AnswerCase{"zero_bytes_in_body", json_answer(std::string("[\"a\",\0[\"b\",", 11)), "a"},
        AnswerCase{"not_found", with_status(404, "Not Found", kPageWithMarkers), ""},
        AnswerCase{"too_many_requests", with_status(429, "Too Many Requests", kPageWithMarkers), ""},
        AnswerCase{"server_error", with_status(500, "Internal Server Error", kPageWithMarkers), ""},
        AnswerCase{"no_content", with_status(204, "No Content", ""), ""},
        AnswerCase{"empty_body", json_answer(""), ""},
        AnswerCase{"closed_before_status", ending(FakeAnswer::Ending::close_before_status, "[\"x\","), ""},
        AnswerCase{"closed_in_body", ending(FakeAnswer::Ending::close_in_body, "0123456789[\"late\","), ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(TranslationClientFailures, ClosedPortGivesEmptyAtOnce)
{
    // Nothing listens on the port when no fake service is running.
    EXPECT_EQ(翻译("你好"), "");
}

TEST_F(TranslationClientTest, MissingRequestObjectGivesEmptyWithoutARequest)
{
    service_.answer_with(json_answer(R"(["x",)"));
    const std::string url = std::string(service_origin()) + "/translate_a/t?client=t&text=a&slzh-CN&tl=en";
    EXPECT_EQ(http_read_with_progid(url, "Orvanta.NoSuchRequestObject"), "");
    EXPECT_EQ(http_read_with_progid(url, "{00000000-0000-0000-0000-00000000BEEF}"), "");
    EXPECT_TRUE(service_.request_lines().empty());
    // The same seam with the real ProgID does reach the service.
    EXPECT_EQ(http_read_with_progid(url, kRequestObjectProgId), R"(["x",)");
}

TEST_F(TranslationClientTest, BodyBytesArriveWhole)
{
    std::string body;
    for (int i = 0; i < 3 * 256; ++i) body.push_back(static_cast<char>(i));
    service_.answer_with(json_answer(body));
    EXPECT_EQ(http读文件_对象(std::string(service_origin()) + "/translate_a/t?client=t&text=a&slzh-CN&tl=en"), body);
}

TEST_F(TranslationClientTest, NothingOfTheRequestIsLeftInThePlatformsCache)
{
    // The request object's cache files every answer under its URL, and the URL holds the text.
    const std::string url = std::string(service_origin()) + "/translate_a/t?client=t&text=%E4%BD%A0%E5%A5%BD&slzh-CN&tl=en";
    const std::pair<const char*, FakeAnswer> answers[] = {
        {"translation", json_answer(R"([[["Hello","x"]]])")},
        {"error page", with_status(500, "Internal Server Error", "<html>busy</html>")},
    };
    for (const auto& [what, answer] : answers) {
        service_.answer_with(answer);
        (void)翻译("你好");
        DWORD size = 0;
        EXPECT_FALSE(GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size)) << what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << what;
    }
    EXPECT_EQ(service_.request_lines().size(), std::size(answers));
}

struct ProcessUsage {
    DWORD handles = 0;
    SIZE_T private_bytes = 0;
};

ProcessUsage usage()
{
    ProcessUsage result;
    GetProcessHandleCount(GetCurrentProcess(), &result.handles);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    result.private_bytes = counters.PrivateUsage;
    return result;
}

TEST_F(TranslationClientTest, RepeatedTranslationsLeakNothing)
{
    service_.answer_with(json_answer(R"([[["Hello","x"]]])" + std::string(64 * 1024, ' ')));
    for (int i = 0; i < 20; ++i) ASSERT_EQ(翻译("你好"), "Hello"); // warm the caches of the platform
    const ProcessUsage before = usage();
    for (int i = 0; i < 300; ++i) ASSERT_EQ(翻译("你好"), "Hello");
    const ProcessUsage after = usage();
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_LT(after.private_bytes, before.private_bytes + (2u << 20));
}

} // namespace
} // namespace orvanta
