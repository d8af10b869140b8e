// The round-trip floor: the bare window with a button and an edit box; a click makes one
// synchronous GET of the URL named on the command line through Microsoft.XMLHTTP, on the window's
// thread, and writes the body into the edit box. The least the program's Translate can do.
//   bare_request URL
#include <string>

#include <ole2.h>
#include <wrl/client.h>

#include "bare_program.h"
#include "com_support.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kButtonId = 1;
const char* g_url = "";
HWND g_result = nullptr;

std::string get(const char* url)
{
    CLSID clsid{};
    ComPtr<IDispatch> request;
    if (FAILED(CLSIDFromProgID(L"Microsoft.XMLHTTP", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&request)))) {
        return {};
    }
    const orvanta::com::UniqueBstr method = orvanta::com::bstr_from_ansi("GET");
    const orvanta::com::UniqueBstr address = orvanta::com::bstr_from_ansi(url);
    VARIANT open_arguments[3]{}; // method, URL, asynchronous: false
    for (int i = 0; i < 2; ++i) V_VT(&open_arguments[i]) = VT_BSTR;
    V_BSTR(&open_arguments[0]) = method.get();
    V_BSTR(&open_arguments[1]) = address.get();
    V_VT(&open_arguments[2]) = VT_BOOL; // and V_BOOL zero-initialised: VARIANT_FALSE
    orvanta::com::UniqueVariant body;
    if (FAILED(orvanta::com::invoke_by_name(request.Get(), L"open", DISPATCH_METHOD, open_arguments, nullptr)) ||
        FAILED(orvanta::com::invoke_by_name(request.Get(), L"send", DISPATCH_METHOD, {}, nullptr)) ||
        FAILED(orvanta::com::invoke_by_name(request.Get(), L"responseBody", DISPATCH_PROPERTYGET, {}, body.put())) ||
        V_VT(&body.get()) != (VT_ARRAY | VT_UI1)) {
        return {};
    }
    SAFEARRAY* array = V_ARRAY(&body.get());
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    std::string bytes(static_cast<const char*>(data), array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return bytes;
}

void add_controls(HWND window, HINSTANCE instance)
{
    CreateWindowExA(0, "BUTTON", "GET", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 368, 128, 32, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), instance, nullptr);
    g_result = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 8, 168, 457, 168,
                               window, nullptr, instance, nullptr);
}

void on_click(int control_id)
{
    if (control_id != kButtonId) return;
    SetWindowTextA(g_result, "");
    SetWindowTextA(g_result, get(g_url).c_str());
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    if (command_line != nullptr) g_url = command_line;
    const bool ole = SUCCEEDED(OleInitialize(nullptr));
    const int exit_code = bare::run(instance, {add_controls, on_click});
    if (ole) OleUninitialize();
    return exit_code;
}
