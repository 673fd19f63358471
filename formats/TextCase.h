// Comparing names as the platform does, without regard to case. Names of keys, values, files
// and commands are ASCII; other bytes compare as they are. Portable: no platform types.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace nb {

constexpr char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

inline bool EqualNoCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

inline bool ContainsNoCase(std::string_view text, std::string_view part)
{
    return LowerCase(text).find(LowerCase(part)) != std::string::npos;
}

}  // namespace nb
