#include "AiffRateTable.h"

#include <algorithm>

namespace
{
constexpr std::array<uint32_t, kNumAiffRates> kAiffRates = {8000,   11025,  16000,  22050,   32000,  37800, 44056,
                                                            44100,  47250,  48000,  50000,   50400,  88200, 96000,
                                                            176400, 192000, 352800, 2822400, 5644800};

constexpr std::array<AiffRateEncoding, kNumAiffRates> MakeAiffRateEncodings()
{
  std::array<AiffRateEncoding, kNumAiffRates> table{};
  for (size_t i = 0; i < kNumAiffRates; ++i)
    table[i] = {kAiffRates[i], EncodeAiffSampleRate(kAiffRates[i])};
  return table;
}
} // namespace

constinit const std::array<AiffRateEncoding, kNumAiffRates> kAiffRateEncodings = MakeAiffRateEncodings();

uint32_t FindAiffSampleRate(const uint8_t* rateBytes)
{
  for (const AiffRateEncoding& entry : kAiffRateEncodings)
  {
    if (std::equal(entry.mBytes.begin(), entry.mBytes.end(), rateBytes))
      return entry.mSampleRate;
  }
  return 0;
}
