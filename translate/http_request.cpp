// http_read_with_progid: drives the platform's HTTP request object through its dispatch interface.
#include <string>

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <wrl/client.h>

#include "com_support.h"
#include "translation_client.h"
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

} // namespace

// listing: http_read_with_progid
ByteBuffer http_read_with_progid(std::string_view url, std::string_view progid)
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
    if (!succeeded(request.Get())) return {};

    com::UniqueVariant body;
    if (FAILED(com::invoke_by_name(request.Get(), L"responseBody", DISPATCH_PROPERTYGET, {}, body.put()))) return {};
    return bytes_of(body.get());
}

} // namespace orvanta
