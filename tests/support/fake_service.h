// A fake of the translation service on 127.0.0.1, in a thread of the test process.
//
// Each test sets the answer; the service records every request line exactly as it came off the
// wire, so tests see what the real service would receive. Connections are served side by side, as
// a real server does, so one that is never answered does not hold up the next.
#pragma once

// No <chrono> here: its "µs" cannot be written in the GBK execution character set of the tests.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvanta::testing {

struct FakeAnswer {
    enum class Ending {
        complete,            // status line, headers and the whole body
        close_before_status, // the connection is closed without a byte of answer
        close_in_body,       // headers promise the whole body; half of it comes, then the close
        never_answer,        // the request is read and nothing is ever sent
        endless_body,        // headers without a length, then a few body bytes now and then, for ever
    };

    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers; // besides Content-Length and Connection
    std::string body;
    unsigned delay_ms = 0; // before the first byte of the answer
    Ending ending = Ending::complete;
    bool reset = false; // an early end is a reset (RST), not an orderly close (FIN)
};

FakeAnswer json_answer(std::string body);

class FakeService {
public:
    explicit FakeService(std::uint16_t port);
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;
    ~FakeService();

    bool listening() const noexcept { return listener_ != ~std::uintptr_t{0}; }

    void answer_with(FakeAnswer answer);
    std::vector<std::string> request_lines() const;

private:
    void serve();
    void answer(std::uintptr_t connection);
    bool stopping() const;

    std::uintptr_t listener_ = ~std::uintptr_t{0};
    mutable std::mutex mutex_;
    FakeAnswer answer_;
    std::vector<std::string> request_lines_;
    bool stopping_ = false;
    std::thread thread_;
    std::size_t open_connections_ = 0;
    std::condition_variable all_closed_;
};

} // namespace orvanta::testing
