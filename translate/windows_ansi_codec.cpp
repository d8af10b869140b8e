#include "windows_ansi_codec.h"

#include <climits>

#include <windows.h>

namespace orvanta {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

int clamp_length(std::size_t size) noexcept { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

} // namespace

std::u16string WindowsAnsiCodec::to_utf16(std::string_view ansi) const
{
    if (ansi.empty()) return {};
    const int in_length = clamp_length(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), in_length, nullptr, 0);
    if (length <= 0) return {};
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), in_length, reinterpret_cast<wchar_t*>(out.data()), length);
    return out;
}

std::string WindowsAnsiCodec::from_utf16(std::u16string_view utf16) const
{
    if (utf16.empty()) return {};
    const auto* in = reinterpret_cast<const wchar_t*>(utf16.data());
    const int in_length = clamp_length(utf16.size());
    // The default character of code page 936 is "?", which is what a missing character must become.
    const int length = WideCharToMultiByte(CP_ACP, 0, in, in_length, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, in, in_length, out.data(), length, nullptr, nullptr);
    return out;
}

const AnsiCodec& windows_ansi_codec() noexcept
{
    static const WindowsAnsiCodec codec;
    return codec;
}

} // namespace orvanta
