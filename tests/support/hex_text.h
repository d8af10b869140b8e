// Bytes passed between test scripts and test helper programs as hex, so that GBK, CR LF and every
// other byte arrive unchanged through command lines and pipes.
#pragma once

#include <cstring>
#include <string>

namespace orvanta::testing {

inline int hex_digit(char c) noexcept
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends the bytes spelt by `hex` (two digits a byte); false when it is not well formed.
inline bool from_hex(const char* hex, std::string& bytes)
{
    const std::size_t length = std::strlen(hex);
    if (length % 2 != 0) return false;
    for (std::size_t i = 0; i < length; i += 2) {
        const int high = hex_digit(hex[i]);
        const int low = hex_digit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

} // namespace orvanta::testing
