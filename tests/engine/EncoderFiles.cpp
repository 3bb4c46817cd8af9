#include "EncoderFiles.h"

#include "SampleFileWriter.h"

#include <limits>

namespace krbtest
{
namespace
{
using namespace sample_file_writer;
constexpr EByteOrder le = EByteOrder::kLittleEndian;
constexpr EByteOrder be = EByteOrder::kBigEndian;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<double> Scaled(const std::vector<int64_t>& values, double fullScale)
{
  std::vector<double> out;
  for (int64_t v : values)
    out.push_back(static_cast<double>(v) / fullScale);
  return out;
}
} // namespace

std::vector<EncoderFile> CommonEncoderFiles()
{
  // Six channels of which channel 0 plays: 0.5, NaN, inf, -inf, -0.25; 0.75 in the other five.
  std::vector<float> sixChannels;
  for (float first : {0.5f, kNaN, kInf, -kInf, -0.25f})
  {
    sixChannels.push_back(first);
    sixChannels.insert(sixChannels.end(), 5, 0.75f);
  }
  const std::vector<int64_t> int32Values = {2147483647, -1073741824, 12345};
  const std::vector<int64_t> int24Values = {8388607, -8388608, -4096, 77};
  const std::vector<int64_t> in32Stereo = {-2147483647, 1073741824, 0x3FC00000, -5};
  return {
    {"surround.wav",
     MakeWave(ExtensibleFormat(6, 44100, 32, kWaveFloat), EncodeFloats(sixChannels, le)),
     {{0.5, 0.0, 0.0, 0.0, -0.25}}},
    {"stereo.wav",
     MakeWave(ExtensibleFormat(2, 44100, 32, kWaveFloat), EncodeFloats({0.5f, -0.5f, -0.75f, 0.25f, 0.125f, 1.0f}, le)),
     {{0.5, -0.75, 0.125}, {-0.5, 0.25, 1.0}}},
    {"mac.aif",
     MakeAifc("sowt", 2, 16, EncodeInts({1000, -1000, 32767, -32768, -2, 3}, 2, le)),
     {Scaled({1000, 32767, -2}, 32767.0), Scaled({-1000, -32768, 3}, 32767.0)}},
    {"int32.aifc", MakeAifc("NONE", 1, 32, EncodeInts(int32Values, 4, be)), {Scaled(int32Values, 2147483647.0)}},
    {"in24.aifc", MakeAifc("in24", 1, 24, EncodeInts(int24Values, 3, be)), {Scaled(int24Values, 8388607.0)}},
    {"in32.aifc",
     MakeAifc("in32", 2, 32, EncodeInts(in32Stereo, 4, be)),
     {Scaled({-2147483647, 0x3FC00000}, 2147483647.0), Scaled({1073741824, -5}, 2147483647.0)}},
    {"raw.aifc", MakeAifc("raw ", 1, 8, {0x80, 0xFF, 0x00, 0x40}), {Scaled({0, 127, -128, -64}, 127.0)}},
    {"float.aifc",
     MakeAifc("fl32", 1, 32, EncodeFloats({kNaN, 0.5f, -kInf, 0.25f, kInf}, be)),
     {{0.0, 0.5, 0.0, 0.25, 0.0}}},
  };
}

EncoderFile CompressedAifcFile() { return {"ulaw.aifc", MakeAifc("ulaw", 1, 8, {0x00, 0x7F, 0x80, 0xFF}), {}}; }
} // namespace krbtest
