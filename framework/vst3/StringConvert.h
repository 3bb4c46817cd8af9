#pragma once

#include <string>

#include "VST3Sdk.h"

// UTF-8 text into a zero-terminated UTF-16 field of the given size in units, cut to fit.
void Utf8ToString128(const char* text, Steinberg::Vst::TChar* field, int fieldUnits = 128);
// UTF-16 text (zero-terminated) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const Steinberg::Vst::TChar* text);
