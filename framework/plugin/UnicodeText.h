#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between UTF-16 (the paths and texts of the plug-in and the VST3 interfaces) and UTF-8
// (file names, debugger lines, labels).

// Appends one code point as UTF-8; one that no UTF-8 can carry becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

// Surrogate pairs become one code point; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Invalid sequences (overlong forms, surrogates, values past U+10FFFF, cut-off sequences) become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// The strict forms refuse, instead of mending, text that is not valid or that holds a NUL: for text
// that names a file, where a mended name would name another file.
std::optional<std::string> Utf16ToUtf8Strict(std::u16string_view text);
std::optional<std::u16string> Utf8ToUtf16Strict(std::string_view text);
