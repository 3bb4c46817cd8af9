#include "HostTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace krb::host::test
{

std::filesystem::path FixtureBundle() { return KRB_FIXTURE_BUNDLE; }

std::filesystem::path NoFactoryBundle() { return KRB_NOFACTORY_BUNDLE; }

std::filesystem::path HostProgram() { return KRB_HOST_PROGRAM; }

ProgramResult RunHost(const std::vector<std::string>& args, bool captureDebugOutput)
{
  return RunProgram(HostProgram(), args, captureDebugOutput);
}

std::unique_ptr<HostPlugin> OpenFixture(const std::string& classSelector)
{
  std::string error;
  std::unique_ptr<HostPlugin> plugin = HostPlugin::Open(FixtureBundle(), classSelector, error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

std::vector<std::uint8_t> FixtureState(double gain, double mode, double bypass)
{
  std::vector<std::uint8_t> data = {'K', 'R', 'B', 'T', 1, 0, 0, 0};
  for (double value : {gain, mode, bypass})
  {
    std::uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    data.insert(data.end(), bytes, bytes + 8);
  }
  return data;
}

namespace
{
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at)
{
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at)
{
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}
} // namespace

bool ReadWav(const std::filesystem::path& path, WavData& wav)
{
  std::ifstream file(path, std::ios::binary);
  std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
  {
    ADD_FAILURE() << path << " is not a RIFF/WAVE file";
    return false;
  }
  if (U32(b, 4) != b.size() - 8)
  {
    ADD_FAILURE() << "RIFF size " << U32(b, 4) << " does not match the file size " << b.size();
    return false;
  }
  std::size_t at = 12;
  bool haveFmt = false;
  while (at + 8 <= b.size())
  {
    const std::string id(reinterpret_cast<const char*>(b.data() + at), 4);
    const std::uint32_t size = U32(b, at + 4);
    const std::size_t body = at + 8;
    if (body + size > b.size())
    {
      ADD_FAILURE() << "chunk " << id << " runs past the end";
      return false;
    }
    if (id == "fmt ")
    {
      haveFmt = true;
      wav.mFmtSize = size;
      wav.mFormatTag = U16(b, body);
      wav.mChannels = U16(b, body + 2);
      wav.mSampleRate = U32(b, body + 4);
      wav.mBits = U16(b, body + 14);
      if (wav.mFormatTag == 0xFFFE && size >= 40)
        wav.mSubFormat = U16(b, body + 24);
      const std::uint32_t blockAlign = U16(b, body + 12);
      if (blockAlign != wav.mChannels * wav.mBits / 8u || U32(b, body + 8) != wav.mSampleRate * blockAlign)
      {
        ADD_FAILURE() << "inconsistent block align or byte rate";
        return false;
      }
    }
    else if (id == "fact")
      wav.mHasFact = true;
    else if (id == "data")
    {
      if (!haveFmt)
      {
        ADD_FAILURE() << "data before fmt";
        return false;
      }
      const bool isFloat = wav.mFormatTag == 3 || (wav.mFormatTag == 0xFFFE && wav.mSubFormat == 3);
      const std::size_t bytes = wav.mBits / 8u;
      const std::size_t frames = size / (bytes * wav.mChannels);
      wav.mSamples.assign(wav.mChannels, std::vector<double>(frames));
      for (std::size_t f = 0; f < frames; ++f)
      {
        for (std::size_t c = 0; c < wav.mChannels; ++c)
        {
          const std::size_t p = body + (f * wav.mChannels + c) * bytes;
          if (isFloat)
          {
            const std::uint32_t bits = U32(b, p);
            float value;
            std::memcpy(&value, &bits, 4);
            wav.mSamples[c][f] = value;
          }
          else
            wav.mSamples[c][f] = static_cast<std::int16_t>(U16(b, p)) / 32767.0;
        }
      }
    }
    at = body + size + (size & 1);
  }
  if (!haveFmt)
    ADD_FAILURE() << "no fmt chunk";
  return haveFmt;
}

} // namespace krb::host::test
