// Small owners for COM's strings and variants, and calling a dispatch interface by name.
#pragma once

#include <span>
#include <string_view>
#include <utility>

#include <windows.h>
#include <oleauto.h>

namespace orvanta::com {

class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    explicit UniqueBstr(BSTR value) noexcept : value_(value) {}
    UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept
    {
        reset(std::exchange(other.value_, nullptr));
        return *this;
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { reset(); }

    void reset(BSTR value = nullptr) noexcept
    {
        if (value_ != nullptr) SysFreeString(value_);
        value_ = value;
    }
    BSTR get() const noexcept { return value_; }

private:
    BSTR value_ = nullptr;
};

class UniqueVariant {
public:
    UniqueVariant() noexcept { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }

    const VARIANT& get() const noexcept { return value_; }
    // Clears what is held and hands out the storage for a call to fill.
    VARIANT* put() noexcept
    {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// A BSTR holding the ANSI text converted to UTF-16. Out of memory is fatal.
UniqueBstr bstr_from_ansi(std::string_view ansi);

// Calls a method or property of `object` by name, with the user default LCID and no exception
// information. `arguments` are in the order the method declares them.
[[nodiscard]] HRESULT invoke_by_name(IDispatch* object, const wchar_t* name, WORD flags,
                                     std::span<const VARIANT> arguments, VARIANT* result) noexcept;

} // namespace orvanta::com
