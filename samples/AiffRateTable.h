#pragma once

// The sample rates that AIFF files may have, each with the 10-byte big-endian 80-bit
// extended-precision number that a "COMM" chunk holds for it.

#include <array>
#include <cstddef>
#include <cstdint>

struct AiffRateEncoding
{
  uint32_t mSampleRate;
  std::array<uint8_t, 10> mBytes;
};

inline constexpr size_t kNumAiffRates = 19;

// Built at compile time, so it exists before any code runs and never changes.
extern const std::array<AiffRateEncoding, kNumAiffRates> kAiffRateEncodings;

// The rate whose encoding equals the 10 bytes at rateBytes exactly, or 0 when none does.
uint32_t FindAiffSampleRate(const uint8_t* rateBytes);

// The 80-bit extended-precision encoding of a whole, non-zero rate.
constexpr std::array<uint8_t, 10> EncodeAiffSampleRate(uint32_t sampleRate)
{
  int exponent = 31;
  while ((sampleRate >> exponent) == 0)
    --exponent;
  const uint16_t biasedExponent = static_cast<uint16_t>(16383 + exponent);
  // The significand keeps its integer bit explicit: the rate shifted up to bit 63.
  const uint64_t significand = static_cast<uint64_t>(sampleRate) << (63 - exponent);
  std::array<uint8_t, 10> bytes{};
  bytes[0] = static_cast<uint8_t>(biasedExponent >> 8);
  bytes[1] = static_cast<uint8_t>(biasedExponent & 0xFF);
  for (int i = 0; i < 8; ++i)
    bytes[2 + i] = static_cast<uint8_t>(significand >> (56 - 8 * i));
  return bytes;
}
