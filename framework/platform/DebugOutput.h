#pragma once

// Writes one diagnostic text to the debugger output (OutputDebugStringW on Windows; standard error
// elsewhere). The text is UTF-16 as the debugger output takes it; it is written as given.
void OutputDebugText(const wchar_t* text);
void OutputDebugText(const char* utf8Text);
