#pragma once

// Fixtures for the engine tests: a temporary folder that removes itself and a writer of 32-bit
// float WAVE files, whose samples come back from the reader bit for bit as doubles.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace krb_test
{
class TempFolder
{
public:
  TempFolder()
  {
    std::random_device random;
    mPath = std::filesystem::temp_directory_path() /
            ("krb_engine_" + std::to_string(random()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(mPath);
  }
  ~TempFolder()
  {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return mPath; }
  std::filesystem::path operator/(const std::string& name) const { return mPath / std::filesystem::u8path(name); }

private:
  std::filesystem::path mPath;
};

// channels[c][frame]; every channel has the same length.
inline void WriteFloatWav(const std::filesystem::path& path, const std::vector<std::vector<float>>& channels,
                          uint32_t sampleRate = 44100)
{
  const uint16_t numChannels = static_cast<uint16_t>(channels.size());
  const uint32_t frames = channels.empty() ? 0 : static_cast<uint32_t>(channels[0].size());
  const uint32_t dataBytes = frames * numChannels * 4;
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&](uint16_t v) { out.push_back(static_cast<uint8_t>(v)); out.push_back(static_cast<uint8_t>(v >> 8)); };
  auto id = [&](const char* text) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(text[i])); };
  id("RIFF");
  u32(4 + 8 + 16 + 8 + dataBytes);
  id("WAVE");
  id("fmt ");
  u32(16);
  u16(3); // IEEE float
  u16(numChannels);
  u32(sampleRate);
  u32(sampleRate * numChannels * 4);
  u16(static_cast<uint16_t>(numChannels * 4));
  u16(32);
  id("data");
  u32(dataBytes);
  for (uint32_t f = 0; f < frames; ++f)
    for (uint16_t c = 0; c < numChannels; ++c)
    {
      uint32_t bits = 0;
      std::memcpy(&bits, &channels[c][f], 4);
      u32(bits);
    }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

// A ramp that tells every frame apart: frame f of channel c holds (f + 1) / 1024 + c / 2, negated
// on the second channel, exact in a float.
inline std::vector<std::vector<float>> Ramp(int numChannels, uint32_t frames)
{
  std::vector<std::vector<float>> channels(static_cast<size_t>(numChannels), std::vector<float>(frames));
  for (int c = 0; c < numChannels; ++c)
    for (uint32_t f = 0; f < frames; ++f)
      channels[static_cast<size_t>(c)][f] =
        (static_cast<float>(f % 4096 + 1) / 1024.0f + static_cast<float>(c) / 2.0f) * (c % 2 == 1 ? -1.0f : 1.0f);
  return channels;
}
} // namespace krb_test
