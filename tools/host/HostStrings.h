#pragma once
// Text conversions between the VST3 types (UTF-16 String128, fixed char8 arrays, TUID) and
// UTF-8 std::string, and UTF-8 file paths.

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace krb::host
{

// Reads at most maxLength UTF-16 units, stopping at the first zero.
std::string Utf16ToUtf8(const Steinberg::char16* text, std::size_t maxLength);
std::u16string Utf8ToUtf16(const std::string& text);

// Reads a char8 array that need not be zero-terminated.
std::string FixedToString(const char* text, std::size_t maxLength);

template <std::size_t N>
std::string FixedToString(const char (&text)[N])
{
  return FixedToString(text, N);
}

template <std::size_t N>
std::string Utf16ToUtf8(const Steinberg::char16 (&text)[N])
{
  return Utf16ToUtf8(text, N);
}

// Copies into a String128, cut to 127 units and zero-terminated.
void CopyToString128(const std::string& text, Steinberg::Vst::String128 out);

// 32 upper-case hex digits in the SDK's FUID string form (the same on every platform).
std::string CidToHex(const Steinberg::TUID cid);
bool HexToCid(const std::string& hex, Steinberg::TUID out);

std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace krb::host
