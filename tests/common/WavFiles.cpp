#include "WavFiles.h"

#include <fstream>
#include <stdexcept>

#include "SampleFileWriter.h"

namespace krbtest
{
namespace
{
using namespace sample_file_writer;

void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path.string());
}

uint16_t NumChannels(size_t count) { return static_cast<uint16_t>(count); }
} // namespace

void WriteFloatWav(const std::filesystem::path& path, const std::vector<std::vector<float>>& channels,
                   uint32_t sampleRate)
{
  std::vector<float> interleaved;
  const size_t frames = channels.empty() ? 0 : channels[0].size();
  for (size_t f = 0; f < frames; ++f)
    for (const auto& channel : channels)
      interleaved.push_back(channel[f]);
  WriteFile(path, MakeWave({kWaveFloat, NumChannels(channels.size()), sampleRate, 32},
                           EncodeFloats(interleaved, EByteOrder::kLittleEndian)));
}

void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::vector<double>>& channels)
{
  std::vector<int64_t> interleaved;
  const size_t frames = channels.empty() ? 0 : channels[0].size();
  for (size_t f = 0; f < frames; ++f)
    for (const auto& channel : channels)
    {
      const double clipped = channel[f] > 1.0 ? 1.0 : channel[f] < -1.0 ? -1.0 : channel[f];
      interleaved.push_back(static_cast<int16_t>(clipped >= 0 ? clipped * 32767.0 + 0.5 : clipped * 32768.0 - 0.5));
    }
  WriteFile(path, MakeWave({kWavePcm, NumChannels(channels.size()), 44100, 16},
                           EncodeInts(interleaved, 2, EByteOrder::kLittleEndian)));
}

void WriteConstantWav(const std::filesystem::path& path, uint32_t frames, double value)
{
  WritePcm16Wav(path, {std::vector<double>(frames, value)});
}

std::vector<std::vector<float>> Ramp(int numChannels, uint32_t frames)
{
  std::vector<std::vector<float>> channels(static_cast<size_t>(numChannels), std::vector<float>(frames));
  for (int c = 0; c < numChannels; ++c)
    for (uint32_t f = 0; f < frames; ++f)
      channels[static_cast<size_t>(c)][f] =
        (static_cast<float>(f % 4096 + 1) / 1024.0f + static_cast<float>(c) / 2.0f) * (c % 2 == 1 ? -1.0f : 1.0f);
  return channels;
}
} // namespace krbtest
