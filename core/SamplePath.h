#pragma once

#include <string>
#include <string_view>

// Paths of sample files are UTF-16 on every platform; folders are separated by the platform's own
// separator (a backslash on Windows, a forward slash elsewhere).

// The folder separator of sample paths on this platform.
char16_t PathSeparator();

// Position of the last folder separator in the path, or npos.
size_t FindLastSeparator(std::u16string_view path);

// UTF-16 to UTF-8: surrogate pairs become one code point; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The text of a channel's sample-name label: the file name after the last folder separator, without
// the part from its last full stop on (when that full stop lies in the file name), in UTF-8.
std::string GetSampleDisplayName(std::u16string path);
