#include "fake_service.h"

#include <algorithm>
#include <string_view>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace orvanta::testing {
namespace {

class WinsockSession {
public:
    WinsockSession()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() { WSACleanup(); }
};

// False when the other side has gone.
bool send_all(SOCKET s, std::string_view bytes)
{
    while (!bytes.empty()) {
        const int sent = send(s, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16)), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Waits until the socket can be read or `stopping` says to give up; polls so the destructor is heard.
template <typename StopFn>
bool wait_readable(SOCKET s, StopFn stopping)
{
    while (!stopping()) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval tick{0, 50 * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &tick);
        if (ready > 0) return true;
        if (ready < 0) return false;
    }
    return false;
}

} // namespace

FakeAnswer json_answer(std::string body)
{
    FakeAnswer answer;
    answer.headers = {{"Content-Type", "application/json; charset=UTF-8"}};
    answer.body = std::move(body);
    return answer;
}

FakeService::FakeService(std::uint16_t port)
{
    static WinsockSession session;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return;
    BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0) {
        closesocket(s);
        return;
    }
    listener_ = s;
    thread_ = std::thread([this] { serve(); });
}

FakeService::~FakeService()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    if (thread_.joinable()) thread_.join();
    if (listening()) closesocket(static_cast<SOCKET>(listener_));
}

void FakeService::answer_with(FakeAnswer answer)
{
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
}

std::vector<std::string> FakeService::request_lines() const
{
    std::lock_guard lock(mutex_);
    return request_lines_;
}

bool FakeService::stopping() const
{
    std::lock_guard lock(mutex_);
    return stopping_;
}

void FakeService::serve()
{
    const auto stop = [this] { return stopping(); };
    const auto listener = static_cast<SOCKET>(listener_);
    while (wait_readable(listener, stop)) {
        const SOCKET connection = accept(listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        {
            std::lock_guard lock(mutex_);
            ++open_connections_;
        }
        // Detached, so that a thousand requests leave no thousand finished threads behind.
        std::thread([this, connection] {
            answer(connection);
            closesocket(connection);
            std::lock_guard lock(mutex_);
            --open_connections_;
            all_closed_.notify_all(); // under the lock: the service may be gone once it is released
        }).detach();
    }
    std::unique_lock lock(mutex_);
    all_closed_.wait(lock, [this] { return open_connections_ == 0; });
}

void FakeService::answer(std::uintptr_t handle)
{
    const auto connection = static_cast<SOCKET>(handle);
    const auto stopping = [this] { return this->stopping(); };

    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!wait_readable(connection, stopping)) return;
        char buffer[4096];
        const int received = recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0) return;
        request.append(buffer, static_cast<std::size_t>(received));
    }

    FakeAnswer answer;
    {
        std::lock_guard lock(mutex_);
        request_lines_.push_back(request.substr(0, request.find("\r\n")));
        answer = answer_;
    }

    const ULONGLONG until = GetTickCount64() + answer.delay_ms;
    while (GetTickCount64() < until && !stopping()) Sleep(10);
    using Ending = FakeAnswer::Ending;
    if (answer.reset) {
        // A zero linger time makes the close below a reset.
        const linger abortive{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof abortive);
    }
    if (answer.ending == Ending::close_before_status) return;
    if (answer.ending == Ending::never_answer) {
        // Hold the connection until the client gives up or the test ends.
        char sink[256];
        while (wait_readable(connection, stopping) && recv(connection, sink, sizeof sink, 0) > 0) {
        }
        return;
    }

    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + answer.reason + "\r\n";
    for (const auto& [name, value] : answer.headers) head += name + ": " + value + "\r\n";
    // No caching: the same URL asked twice must reach the service twice.
    head += "Cache-Control: no-store\r\nConnection: close\r\n";
    if (answer.ending == Ending::endless_body) {
        // Without a length the body lasts until the connection closes, which this side never does.
        if (!send_all(connection, head + "\r\n")) return;
        while (!stopping() && send_all(connection, answer.body)) Sleep(100);
        return;
    }
    head += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n\r\n";
    send_all(connection, head);
    if (answer.ending == Ending::close_in_body) {
        send_all(connection, std::string_view(answer.body).substr(0, answer.body.size() / 2));
        return;
    }
    send_all(connection, answer.body);
    shutdown(connection, SD_SEND);
}

} // namespace orvanta::testing
