// http_read_with_progid: drives the platform's HTTP request object through its dispatch interface,
// on a thread of its own, so that the wait for the answer can be bounded.
#include <algorithm>
#include <memory>
#include <string>

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <wrl/client.h>

#include "com_support.h"
#include "translation_client.h"
#include "win32_handles.h"
#include "windows_ansi_codec.h"

namespace orvanta {
namespace {

using Microsoft::WRL::ComPtr;

// The object named by the ProgID, created and put into the running state; null on any failure.
ComPtr<IDispatch> create_request_object(std::string_view progid)
{
    const std::u16string name = windows_ansi_codec().to_utf16(progid);
    const auto* wide_name = reinterpret_cast<const wchar_t*>(name.c_str());
    CLSID clsid{};
    const HRESULT resolved = name.starts_with(u'{') ? CLSIDFromString(wide_name, &clsid)
                                                    : CLSIDFromProgID(wide_name, &clsid);
    if (FAILED(resolved)) return nullptr;

    ComPtr<IUnknown> object;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&object));
    if (hr == E_INVALIDARG) {
        // Older systems reject CLSCTX_ALL's newer bits; ask again with the classic ones only.
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(&object));
    }
    if (FAILED(hr) || FAILED(OleRun(object.Get()))) return nullptr;

    ComPtr<IDispatch> dispatch;
    if (FAILED(object.As(&dispatch))) return nullptr;
    return dispatch;
}

// Every element of a one-byte SAFEARRAY, over all of its dimensions.
ByteBuffer bytes_of_array(SAFEARRAY* array)
{
    VARTYPE type = VT_EMPTY;
    if (array == nullptr || FAILED(SafeArrayGetVartype(array, &type)) || (type != VT_UI1 && type != VT_I1) ||
        SafeArrayGetElemsize(array) != 1) {
        return {};
    }
    const UINT dimensions = SafeArrayGetDim(array);
    std::size_t count = dimensions == 0 ? 0 : 1;
    for (UINT d = 1; d <= dimensions; ++d) {
        LONG lower = 0;
        LONG upper = -1;
        if (FAILED(SafeArrayGetLBound(array, d, &lower)) || FAILED(SafeArrayGetUBound(array, d, &upper))) return {};
        count *= upper >= lower ? static_cast<std::size_t>(upper - lower) + 1 : 0;
    }
    if (count == 0) return {};

    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    ByteBuffer bytes(static_cast<const char*>(data), count);
    SafeArrayUnaccessData(array);
    return bytes;
}

ByteBuffer bytes_of(const VARIANT& value)
{
    const VARTYPE type = V_VT(&value);
    const VARTYPE held = type & ~VT_BYREF;
    if (held == (VT_ARRAY | VT_UI1) || held == (VT_ARRAY | VT_I1)) {
        if ((type & VT_BYREF) == 0) return bytes_of_array(V_ARRAY(&value));
        return V_ARRAYREF(&value) != nullptr ? bytes_of_array(*V_ARRAYREF(&value)) : ByteBuffer{};
    }
    com::UniqueVariant converted;
    if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), 0, VT_ARRAY | VT_UI1))) return {};
    return bytes_of_array(V_ARRAY(&converted.get()));
}

// True when the object's answer carried a status of 200 to 299.
bool succeeded(IDispatch* request)
{
    com::UniqueVariant status;
    if (FAILED(com::invoke_by_name(request, L"status", DISPATCH_PROPERTYGET, {}, status.put()))) return false;
    com::UniqueVariant number;
    if (FAILED(VariantChangeType(number.put(), const_cast<VARIANT*>(&status.get()), 0, VT_I4))) return false;
    const LONG code = V_I4(&number.get());
    return code >= 200 && code <= 299;
}

// Deletes the cache entry of the URL. The cache is WinInet's, which the request object has loaded
// by now; asking the loaded module spares the program loading it at start (1.6 MB, and time).
void forget_cached_answer(std::string_view url)
{
    const HMODULE wininet = GetModuleHandleA("wininet.dll");
    if (wininet == nullptr) return; // the request went some other way, and nothing of it is there
    using DeleteEntry = BOOL(WINAPI*)(LPCSTR);
    const auto delete_entry =
        reinterpret_cast<DeleteEntry>(reinterpret_cast<void*>(GetProcAddress(wininet, "DeleteUrlCacheEntryA")));
    if (delete_entry != nullptr) delete_entry(std::string(url).c_str());
}

// The request itself, synchronous, on the calling thread (which has initialised OLE).
// listing: fetch_synchronously
ByteBuffer fetch_synchronously(std::string_view url, std::string_view progid)
{
    const ComPtr<IDispatch> request = create_request_object(progid);
    if (!request) return {};

    const com::UniqueBstr method = com::bstr_from_ansi("GET");
    const com::UniqueBstr address = com::bstr_from_ansi(url);
    VARIANT open_arguments[3];
    V_VT(&open_arguments[0]) = VT_BSTR;
    V_BSTR(&open_arguments[0]) = method.get();
    V_VT(&open_arguments[1]) = VT_BSTR;
    V_BSTR(&open_arguments[1]) = address.get();
    V_VT(&open_arguments[2]) = VT_BOOL;
    V_BOOL(&open_arguments[2]) = VARIANT_FALSE; // synchronous
    // A failed open or send leaves nothing to read; the status check below sees to that.
    (void)com::invoke_by_name(request.Get(), L"open", DISPATCH_METHOD, open_arguments, nullptr);
    (void)com::invoke_by_name(request.Get(), L"send", DISPATCH_METHOD, {}, nullptr);

    // An error page (404, a rate limit's 429, 500) is not a translation.
    com::UniqueVariant body;
    const bool answered = succeeded(request.Get()) &&
        SUCCEEDED(com::invoke_by_name(request.Get(), L"responseBody", DISPATCH_PROPERTYGET, {}, body.put()));

    // The platform's cache has kept the answer under its URL, which carries the user's text;
    // nothing here reads it again, and the text is not the cache's to keep.
    forget_cached_answer(url);
    return answered ? bytes_of(body.get()) : ByteBuffer{};
}

// One request handed to the request thread; owned by both sides, so either may be done first.
struct Exchange {
    std::string url;
    std::string progid;
    ByteBuffer body;
    UniqueKernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

constexpr UINT kRequestMessage = WM_APP;

// The request thread's loop: its own single-threaded apartment, whose windows (those of COM and
// of the request object) it serves, and one request at a time.
DWORD WINAPI serve_requests(void* ready)
{
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
    const HRESULT initialised = OleInitialize(nullptr);
    SetEvent(static_cast<HANDLE>(ready));
    if (FAILED(initialised)) return 1;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kRequestMessage) {
            const std::unique_ptr<std::shared_ptr<Exchange>> handed(
                reinterpret_cast<std::shared_ptr<Exchange>*>(message.lParam));
            Exchange& exchange = **handed;
            exchange.body = fetch_synchronously(exchange.url, exchange.progid);
            SetEvent(exchange.done.get());
            continue;
        }
        DispatchMessageA(&message);
    }
    OleUninitialize();
    return 0;
}

// The thread that makes the requests of the thread that asks for them. Kept from one request to
// the next, since a new thread's first request costs about half as much again under Wine. A
// request that outlasts the caller's patience is left to it: its thread is told to end once it is
// done, and the next request gets a new one.
class RequestThread {
public:
    RequestThread() = default;
    RequestThread(const RequestThread&) = delete;
    RequestThread& operator=(const RequestThread&) = delete;
    ~RequestThread() { stop(); }

    // Hands the request over; false when no thread could take it.
    bool post(const std::shared_ptr<Exchange>& exchange)
    {
        if (!thread_ && !start()) return false;
        auto handed = std::make_unique<std::shared_ptr<Exchange>>(exchange);
        if (!PostThreadMessageA(id_, kRequestMessage, 0, reinterpret_cast<LPARAM>(handed.get()))) {
            stop();
            return false;
        }
        (void)handed.release(); // the thread owns it now
        return true;
    }

    // Lets the thread finish what it has and end; it is not waited for.
    void stop() noexcept
    {
        if (thread_) PostThreadMessageA(id_, WM_QUIT, 0, 0);
        thread_.reset();
        id_ = 0;
    }

private:
    bool start()
    {
        const UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!ready) return false;
        thread_.reset(CreateThread(nullptr, 0, serve_requests, ready.get(), 0, &id_));
        if (!thread_) return false;
        const HANDLE either[] = {ready.get(), thread_.get()};
        if (WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0) {
            thread_.reset(); // it could not set up its apartment and has ended
            return false;
        }
        return true;
    }

    UniqueKernelHandle thread_;
    DWORD id_ = 0;
};

// Waits for the event, at most `limit_ms`, repainting the calling thread's windows meanwhile.
// Input, the hot key and everything else posted stay queued until the command is over, so no
// second command can start inside this one.
bool wait_painting(HANDLE event, ULONGLONG limit_ms)
{
    const ULONGLONG deadline = GetTickCount64() + limit_ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const auto left = static_cast<DWORD>(deadline > now ? std::min<ULONGLONG>(deadline - now, INFINITE - 1) : 0);
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &event, left, QS_PAINT | QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false; // time is up, or the wait itself failed

        MSG message;
        // Messages sent from other threads are delivered inside PeekMessage; nothing is removed.
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        // Bounded: a window that paints without validating would otherwise keep this loop here.
        for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
            DispatchMessageA(&message);
    }
}

} // namespace

// listing: http_read_with_progid
ByteBuffer http_read_with_progid(std::string_view url, std::string_view progid)
{
    // The request object waits for a server that never answers without end; on a thread of its own
    // it can be left to it, and the window with the user's texts comes back after kAnswerTimeLimitMs.
    // Not thread_local: that would pull thread-exit machinery into a program that asks from one
    // thread only.
    static RequestThread request_thread;
    const auto exchange = std::make_shared<Exchange>();
    exchange->url = url;
    exchange->progid = progid;
    if (!exchange->done || !request_thread.post(exchange)) return {};
    if (!wait_painting(exchange->done.get(), kAnswerTimeLimitMs)) {
        request_thread.stop();
        return {};
    }
    return std::move(exchange->body);
}

} // namespace orvanta
