// A string as a JSON string literal: quotes and backslashes escaped, control
// characters as \u00XX, everything else (UTF-8) as it is.
#pragma once

#include <cstdio>
#include <string>

inline std::string JsonText(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}
