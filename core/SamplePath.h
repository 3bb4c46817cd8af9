#pragma once

#include <string>
#include <string_view>

#include "plugin/UnicodeText.h"

// Paths of sample files are UTF-16 on every platform; folders are separated by the platform's own
// separator (a backslash on Windows, a forward slash elsewhere).

// The folder separator of sample paths on this platform.
char16_t PathSeparator();

// Position of the last folder separator in the path, or npos.
size_t FindLastSeparator(std::u16string_view path);

// The text of a channel's sample-name label: the file name after the last folder separator, without
// the part from its last full stop on (when that full stop lies in the file name), in UTF-8.
std::string GetSampleDisplayName(std::u16string path);
