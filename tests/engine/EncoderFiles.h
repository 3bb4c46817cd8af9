#pragma once

// Sample files as common encoders write them, with the values that a drum plays from each. They are
// made in a file of their own: the VST3 SDK's headers define kLittleEndian and kBigEndian as macros,
// which the sample-file writer's byte orders would meet.

#include <cstdint>
#include <string>
#include <vector>

namespace krbtest
{
struct EncoderFile
{
  std::string mName;
  std::vector<uint8_t> mBytes;
  std::vector<std::vector<double>> mPlays; // what the drum plays, per channel of its bus (one: both)
};

// Files that decode: extensible-header float WAVE (six channels and stereo), AIFC "sowt", "NONE" at
// 32 bits, "in24", "in32", "raw " and "fl32", the float ones holding NaN and infinities.
std::vector<EncoderFile> CommonEncoderFiles();

// A u-law AIFC file, which the reader refuses (mPlays is empty).
EncoderFile CompressedAifcFile();
} // namespace krbtest
