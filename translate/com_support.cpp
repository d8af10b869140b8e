#include "com_support.h"

#include <vector>

#include "fatal_error.h"
#include "windows_ansi_codec.h"

namespace orvanta::com {

UniqueBstr bstr_from_ansi(std::string_view ansi)
{
    const std::u16string wide = windows_ansi_codec().to_utf16(ansi);
    BSTR value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
    if (value == nullptr) fatal_out_of_memory();
    return UniqueBstr(value);
}

HRESULT invoke_by_name(IDispatch* object, const wchar_t* name, WORD flags, std::span<const VARIANT> arguments,
                       VARIANT* result) noexcept
{
    DISPID id = DISPID_UNKNOWN;
    auto* writable_name = const_cast<LPOLESTR>(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &writable_name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;

    // DISPPARAMS lists the arguments from the last to the first.
    VARIANT reversed[4];
    if (arguments.size() > std::size(reversed)) return E_INVALIDARG;
    for (std::size_t i = 0; i < arguments.size(); ++i) reversed[arguments.size() - 1 - i] = arguments[i];
    DISPPARAMS parameters{arguments.empty() ? nullptr : reversed, nullptr, static_cast<UINT>(arguments.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr);
}

} // namespace orvanta::com
