#include "WavWriter.h"

#include "HostStrings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace krb::host
{

namespace
{

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

class ByteWriter
{
public:
  void U16(std::uint16_t v)
  {
    mBytes.push_back(static_cast<std::uint8_t>(v));
    mBytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v)
  {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Tag(const char* tag)
  {
    for (int i = 0; i < 4; ++i)
      mBytes.push_back(static_cast<std::uint8_t>(tag[i]));
  }
  void Bytes(const std::uint8_t* bytes, std::size_t count)
  {
    for (std::size_t i = 0; i < count; ++i)
      mBytes.push_back(bytes[i]);
  }
  const std::vector<std::uint8_t>& Data() const { return mBytes; }

private:
  std::vector<std::uint8_t> mBytes;
};

} // namespace

bool WriteWav(const std::filesystem::path& path, const std::vector<const std::vector<double>*>& channels,
              std::int64_t frames, std::uint32_t sampleRate, EWavFormat format, std::string& error)
{
  const auto channelCount = static_cast<std::uint32_t>(channels.size());
  if (channelCount == 0 || channelCount > 0xFFFF)
  {
    error = "cannot write a WAV file with " + std::to_string(channelCount) + " channels";
    return false;
  }
  for (const auto* channel : channels)
  {
    if (channel == nullptr || static_cast<std::int64_t>(channel->size()) < frames)
    {
      error = "a channel has fewer samples than the frames to write";
      return false;
    }
  }
  const std::uint32_t bytesPerSample = format == EWavFormat::kFloat32 ? 4 : 2;
  const std::uint64_t dataBytes = static_cast<std::uint64_t>(frames) * channelCount * bytesPerSample;
  if (dataBytes > 0xFFFFFFFFull - 128)
  {
    error = "the audio is too long for a WAV file (over 4 GiB)";
    return false;
  }

  const bool extensible = channelCount > 2;
  const bool isFloat = format == EWavFormat::kFloat32;
  const std::uint16_t formatTag = extensible ? kFormatExtensible : (isFloat ? kFormatFloat : kFormatPcm);
  const std::uint32_t fmtSize = extensible ? 40 : (isFloat ? 18 : 16);
  const bool factChunk = isFloat; // required for every format other than plain PCM

  ByteWriter header;
  const std::uint32_t riffSize =
    4 + (8 + fmtSize) + (factChunk ? 12 : 0) + 8 + static_cast<std::uint32_t>(dataBytes) + (dataBytes & 1);
  header.Tag("RIFF");
  header.U32(riffSize);
  header.Tag("WAVE");
  header.Tag("fmt ");
  header.U32(fmtSize);
  header.U16(formatTag);
  header.U16(static_cast<std::uint16_t>(channelCount));
  header.U32(sampleRate);
  header.U32(sampleRate * channelCount * bytesPerSample);
  header.U16(static_cast<std::uint16_t>(channelCount * bytesPerSample));
  header.U16(static_cast<std::uint16_t>(bytesPerSample * 8));
  if (extensible)
  {
    header.U16(22);
    header.U16(static_cast<std::uint16_t>(bytesPerSample * 8)); // valid bits
    header.U32(0);                                              // no speaker positions
    // KSDATAFORMAT_SUBTYPE_PCM / _IEEE_FLOAT: {0000000X-0000-0010-8000-00AA00389B71}
    header.U32(isFloat ? kFormatFloat : kFormatPcm);
    header.U16(0x0000);
    header.U16(0x0010);
    const std::uint8_t tail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    header.Bytes(tail, 8);
  }
  else if (isFloat)
    header.U16(0);
  if (factChunk)
  {
    header.Tag("fact");
    header.U32(4);
    header.U32(static_cast<std::uint32_t>(frames));
  }
  header.Tag("data");
  header.U32(static_cast<std::uint32_t>(dataBytes));

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file)
  {
    error = "cannot create " + PathToUtf8(path);
    return false;
  }
  file.write(reinterpret_cast<const char*>(header.Data().data()), static_cast<std::streamsize>(header.Data().size()));

  // Written in slices of frames so a long file needs no full interleaved copy.
  constexpr std::int64_t kSliceFrames = 4096;
  std::vector<std::uint8_t> slice;
  for (std::int64_t start = 0; start < frames; start += kSliceFrames)
  {
    const std::int64_t count = std::min(kSliceFrames, frames - start);
    slice.clear();
    for (std::int64_t f = start; f < start + count; ++f)
    {
      for (const auto* channel : channels)
      {
        const double sample = (*channel)[static_cast<std::size_t>(f)];
        if (isFloat)
        {
          const float value = static_cast<float>(sample);
          std::uint32_t bits = 0;
          std::memcpy(&bits, &value, sizeof(bits));
          for (int b = 0; b < 4; ++b)
            slice.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
        }
        else
        {
          const double clipped = std::isnan(sample) ? 0.0 : std::clamp(sample, -1.0, 1.0);
          const auto value = static_cast<std::int16_t>(std::lround(clipped * 32767.0));
          const auto bits = static_cast<std::uint16_t>(value);
          slice.push_back(static_cast<std::uint8_t>(bits));
          slice.push_back(static_cast<std::uint8_t>(bits >> 8));
        }
      }
    }
    file.write(reinterpret_cast<const char*>(slice.data()), static_cast<std::streamsize>(slice.size()));
  }
  if (dataBytes & 1)
    file.put('\0');
  file.flush();
  if (!file)
  {
    error = "write to " + PathToUtf8(path) + " failed";
    return false;
  }
  return true;
}

} // namespace krb::host
