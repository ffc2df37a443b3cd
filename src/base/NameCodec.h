// Entry names are raw Windows-1251 bytes; the window, file names and the
// command line speak Unicode.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

char32_t Cp1251ToUnicode(unsigned char c);
// UTF-8 text of a Windows-1251 name.
std::string Cp1251ToUtf8(std::string_view name);
// Windows-1251 bytes of UTF-8 text; characters the code page lacks become '?'.
std::string Utf8ToCp1251(std::string_view text);

// UTF-8 helpers: appends one code point; decodes the code point at text[i]
// and advances i (a malformed byte decodes as U+FFFD on its own).
void AppendUtf8(std::string& out, char32_t cp);
char32_t NextCodePoint(std::string_view text, size_t& i);

// The name's extension with its dot, from the last "." after the last "\",
// "/" or ":"; empty when there is none. Raw bytes.
std::string FileNameExtension(std::string_view name);

}  // namespace korvane
