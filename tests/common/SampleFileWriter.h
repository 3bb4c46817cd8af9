#pragma once

// A small writer of WAVE and AIFF images for the tests, the benchmark and the fuzz seed corpus.
// It writes exactly what it is told, inconsistent headers included, so that every field the
// reader looks at can be set on its own.

#include "SampleFileReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sample_file_writer
{
using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& out, uint16_t value, EByteOrder order)
{
  if (order == EByteOrder::kLittleEndian)
    out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8)});
  else
    out.insert(out.end(), {uint8_t(value >> 8), uint8_t(value)});
}

inline void PutU32(Bytes& out, uint32_t value, EByteOrder order)
{
  if (order == EByteOrder::kLittleEndian)
    out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
  else
    out.insert(out.end(), {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}

inline void PutId(Bytes& out, std::string_view id) { out.insert(out.end(), id.begin(), id.end()); }

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Integer samples of any width, two's complement, in the given byte order.
inline Bytes EncodeInts(const std::vector<int64_t>& values, int bytesPerSample, EByteOrder order)
{
  Bytes out;
  for (int64_t v : values)
  {
    const uint64_t bits = static_cast<uint64_t>(v);
    for (int i = 0; i < bytesPerSample; ++i)
    {
      const int byte = order == EByteOrder::kLittleEndian ? i : bytesPerSample - 1 - i;
      out.push_back(uint8_t(bits >> (8 * byte)));
    }
  }
  return out;
}

inline Bytes EncodeFloats(const std::vector<float>& values, EByteOrder order)
{
  std::vector<int64_t> bits;
  for (float v : values)
  {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    bits.push_back(b);
  }
  return EncodeInts(bits, 4, order);
}

struct Chunk
{
  std::string mId;
  Bytes mBody;
  std::optional<uint32_t> mSizeField; // the size written, when it is to differ from the body's
  bool mPad = true;                   // a chunk of odd size is followed by a pad byte
};

// "RIFF"/"FORM", the container size, the form type, then the chunks in the order given.
inline Bytes MakeContainer(std::string_view container, std::string_view formType, const std::vector<Chunk>& chunks,
                           EByteOrder order)
{
  Bytes body;
  PutId(body, formType);
  for (const Chunk& chunk : chunks)
  {
    PutId(body, chunk.mId);
    PutU32(body, chunk.mSizeField.value_or(static_cast<uint32_t>(chunk.mBody.size())), order);
    Append(body, chunk.mBody);
    if (chunk.mPad && chunk.mBody.size() % 2 == 1)
      body.push_back(0);
  }
  Bytes out;
  PutId(out, container);
  PutU32(out, static_cast<uint32_t>(body.size()), order);
  Append(out, body);
  return out;
}

// ---------------------------------------------------------------------------------------------
// WAVE

inline constexpr uint16_t kWavePcm = 1;
inline constexpr uint16_t kWaveFloat = 3;
inline constexpr uint16_t kWaveExtensible = 0xFFFE;

struct WaveFormat
{
  WaveFormat(uint16_t formatCode = kWavePcm, uint16_t numChannels = 1, uint32_t sampleRate = 44100,
             uint16_t bitDepth = 16, std::optional<uint32_t> byteRate = std::nullopt,
             std::optional<uint16_t> blockAlign = std::nullopt)
    : mFormatCode(formatCode)
    , mNumChannels(numChannels)
    , mSampleRate(sampleRate)
    , mBitDepth(bitDepth)
    , mByteRate(byteRate)
    , mBlockAlign(blockAlign)
  {
  }

  uint16_t mFormatCode = kWavePcm;
  uint16_t mNumChannels = 1;
  uint32_t mSampleRate = 44100;
  uint16_t mBitDepth = 16;
  std::optional<uint32_t> mByteRate;   // default: consistent with the fields above
  std::optional<uint16_t> mBlockAlign; // default: consistent with the fields above
  uint16_t mSubFormat = kWavePcm;      // the extensible format's sub-format code
};

inline WaveFormat ExtensibleFormat(uint16_t numChannels, uint32_t sampleRate, uint16_t bitDepth, uint16_t subFormat)
{
  WaveFormat format(kWaveExtensible, numChannels, sampleRate, bitDepth);
  format.mSubFormat = subFormat;
  return format;
}

inline Chunk FmtChunk(const WaveFormat& format)
{
  constexpr EByteOrder le = EByteOrder::kLittleEndian;
  Bytes body;
  PutU16(body, format.mFormatCode, le);
  PutU16(body, format.mNumChannels, le);
  PutU32(body, format.mSampleRate, le);
  PutU32(body, format.mByteRate.value_or(format.mSampleRate * format.mNumChannels * format.mBitDepth / 8), le);
  PutU16(body, format.mBlockAlign.value_or(static_cast<uint16_t>(format.mNumChannels * (format.mBitDepth / 8))), le);
  PutU16(body, format.mBitDepth, le);
  if (format.mFormatCode == kWaveExtensible)
  {
    PutU16(body, 22, le);                // extension size
    PutU16(body, format.mBitDepth, le);  // valid bits
    PutU32(body, 0, le);                 // channel mask
    PutU32(body, format.mSubFormat, le); // first field of the sub-format GUID
    const uint8_t guidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    body.insert(body.end(), std::begin(guidTail), std::end(guidTail));
  }
  return {"fmt ", body, std::nullopt};
}

inline Chunk DataChunk(const Bytes& sampleBytes, std::optional<uint32_t> sizeField = std::nullopt)
{
  return {"data", sampleBytes, sizeField};
}

inline Chunk TextChunk(std::string_view id, std::string_view text, std::optional<uint32_t> sizeField = std::nullopt)
{
  return {std::string(id), Bytes(text.begin(), text.end()), sizeField};
}

inline Bytes MakeWave(const std::vector<Chunk>& chunks)
{
  return MakeContainer("RIFF", "WAVE", chunks, EByteOrder::kLittleEndian);
}

// The usual layout: "fmt ", then "data".
inline Bytes MakeWave(const WaveFormat& format, const Bytes& sampleBytes)
{
  return MakeWave({FmtChunk(format), DataChunk(sampleBytes)});
}

// ---------------------------------------------------------------------------------------------
// AIFF

// The 80-bit extended-precision big-endian encoding of a sample rate, worked out through the
// floating-point exponent so that it does not share its arithmetic with the reader's table.
inline std::array<uint8_t, 10> AiffRateBytes(double rate)
{
  int exponent = 0;
  const double mantissa = std::frexp(rate, &exponent); // rate = mantissa * 2^exponent, mantissa in [0.5, 1)
  const uint16_t biased = static_cast<uint16_t>(16383 + exponent - 1);
  const uint64_t significand = static_cast<uint64_t>(std::ldexp(mantissa, 32))
                               << 32; // every table rate fits in 32 bits
  std::array<uint8_t, 10> out{};
  out[0] = uint8_t(biased >> 8);
  out[1] = uint8_t(biased);
  for (int i = 0; i < 8; ++i)
    out[2 + i] = uint8_t(significand >> (56 - 8 * i));
  return out;
}

struct AiffFormat
{
  bool mAifc = false;
  uint16_t mNumChannels = 1;
  uint32_t mNumFrames = 0;
  uint16_t mBitDepth = 16;
  std::array<uint8_t, 10> mRateBytes = AiffRateBytes(44100);
};

// An "AIFC" file's "COMM" chunk ends with its compression type; without one given, it is "fl32" for
// 32-bit samples and "NONE" for the others.
inline Chunk CommChunk(const AiffFormat& format, std::string_view compressionType = {})
{
  constexpr EByteOrder be = EByteOrder::kBigEndian;
  Bytes body;
  body.reserve(24); // also keeps GCC 12 from seeing the growing inserts below as overflows at -O3
  PutU16(body, format.mNumChannels, be);
  PutU32(body, format.mNumFrames, be);
  PutU16(body, format.mBitDepth, be);
  body.insert(body.end(), format.mRateBytes.begin(), format.mRateBytes.end());
  if (format.mAifc)
  {
    PutId(body, !compressionType.empty() ? compressionType : format.mBitDepth == 32 ? "fl32" : "NONE");
    body.insert(body.end(), {0, 0}); // empty compression name, padded
  }
  return {"COMM", body, std::nullopt};
}

// A negative offset writes no bytes before the samples.
inline Chunk SsndChunk(const Bytes& sampleBytes, int32_t offset = 0, std::optional<uint32_t> sizeField = std::nullopt)
{
  constexpr EByteOrder be = EByteOrder::kBigEndian;
  Bytes body;
  PutU32(body, static_cast<uint32_t>(offset), be);
  PutU32(body, 0, be); // block size
  body.insert(body.end(), static_cast<size_t>(std::max(offset, 0)), 0xEE);
  Append(body, sampleBytes);
  // The usual size counts the offset and block-size fields and the samples, not the offset bytes.
  return {"SSND", body, sizeField.value_or(static_cast<uint32_t>(8 + sampleBytes.size()))};
}

inline Bytes MakeAiff(bool aifc, const std::vector<Chunk>& chunks)
{
  return MakeContainer("FORM", aifc ? "AIFC" : "AIFF", chunks, EByteOrder::kBigEndian);
}

// The usual layout: "COMM", then "SSND"; the frame count follows from the samples.
inline Bytes MakeAiff(AiffFormat format, const Bytes& sampleBytes)
{
  format.mNumFrames = static_cast<uint32_t>(sampleBytes.size() / (format.mNumChannels * (format.mBitDepth / 8)));
  return MakeAiff(format.mAifc, {CommChunk(format), SsndChunk(sampleBytes)});
}

// An "AIFC" file at 44100 Hz with the given compression type; the frame count is what the sample
// bytes fill at the bit depth.
inline Bytes MakeAifc(std::string_view compressionType, uint16_t numChannels, uint16_t bitDepth,
                      const Bytes& sampleBytes)
{
  AiffFormat format{true, numChannels, 0, bitDepth, AiffRateBytes(44100)};
  format.mNumFrames = static_cast<uint32_t>(sampleBytes.size() / (numChannels * std::max(bitDepth / 8, 1)));
  return MakeAiff(true, {CommChunk(format, compressionType), SsndChunk(sampleBytes)});
}

// ---------------------------------------------------------------------------------------------
// Seed corpus: small files of every kind the reader decodes, and of the kinds it refuses by their
// sub-format or compression type, so that the fuzzer starts on both sides of those tests.

struct SeedFile
{
  std::string mName;
  Bytes mBytes;
  bool mDecodes;
};

inline std::vector<SeedFile> SeedCorpusFiles()
{
  constexpr EByteOrder le = EByteOrder::kLittleEndian;
  constexpr EByteOrder be = EByteOrder::kBigEndian;
  const std::vector<int64_t> ramp = {0, 1, -1, 100, -100, 127, -128, 64};
  std::vector<SeedFile> files;
  const auto add = [&files](std::string name, Bytes bytes, bool decodes = true) {
    files.push_back({std::move(name), std::move(bytes), decodes});
  };
  add("wave-pcm8-mono.wav", MakeWave({kWavePcm, 1, 8000, 8}, EncodeInts({0, 128, 255, 1, 254, 127}, 1, le)));
  add("wave-pcm16-stereo.wav", MakeWave({kWavePcm, 2, 44100, 16}, EncodeInts(ramp, 2, le)));
  add("wave-pcm24-mono.wav", MakeWave({kWavePcm, 1, 48000, 24}, EncodeInts({-8388608, 8388607, 0, 1}, 3, le)));
  add("wave-pcm32-stereo.wav", MakeWave({kWavePcm, 2, 96000, 32}, EncodeInts(ramp, 4, le)));
  add("wave-float32-mono.wav", MakeWave({kWaveFloat, 1, 44100, 32}, EncodeFloats({1.5f, -0.25f, 0.0f}, le)));
  add("wave-extensible-4ch.wav", MakeWave({kWaveExtensible, 4, 44100, 24}, EncodeInts(ramp, 3, le)));
  add("wave-extensible-float-stereo.wav",
      MakeWave(ExtensibleFormat(2, 48000, 32, kWaveFloat), EncodeFloats({1.5f, -0.25f, 0.0f, 0.75f}, le)));
  add("wave-extensible-alaw-mono.wav", MakeWave(ExtensibleFormat(1, 8000, 8, 6), {0xD5, 0x55, 0x2A}), false);
  add("wave-ixml-odd-chunk.wav", MakeWave({TextChunk("junk", "abc"), FmtChunk({kWavePcm, 1, 22050, 16}),
                                           DataChunk(EncodeInts({1, 2, 3}, 2, le)), TextChunk("iXML", "<BWFXML/>")}));
  add("aiff-8-mono.aiff", MakeAiff({false, 1, 0, 8, AiffRateBytes(8000)}, EncodeInts(ramp, 1, be)));
  add("aiff-16-stereo.aiff", MakeAiff({false, 2, 0, 16, AiffRateBytes(44100)}, EncodeInts(ramp, 2, be)));
  add("aiff-24-mono.aiff", MakeAiff({false, 1, 0, 24, AiffRateBytes(96000)}, EncodeInts(ramp, 3, be)));
  add("aiff-32-stereo.aiff", MakeAiff({false, 2, 0, 32, AiffRateBytes(48000)}, EncodeInts(ramp, 4, be)));
  add("aifc-float-mono.aifc", MakeAiff({true, 1, 0, 32, AiffRateBytes(192000)}, EncodeFloats({1.5f, -2.0f}, be)));
  add("aifc-FL32-stereo.aifc", MakeAifc("FL32", 2, 32, EncodeFloats({0.5f, -0.5f, 1.0f, -1.0f}, be)));
  add("aifc-none-32-mono.aifc", MakeAifc("NONE", 1, 32, EncodeInts(ramp, 4, be)));
  add("aifc-twos-24-mono.aifc", MakeAifc("twos", 1, 24, EncodeInts(ramp, 3, be)));
  add("aifc-sowt-16-stereo.aifc", MakeAifc("sowt", 2, 16, EncodeInts(ramp, 2, le)));
  add("aifc-sowt-24-mono.aifc", MakeAifc("sowt", 1, 24, EncodeInts(ramp, 3, le)));
  add("aifc-in24-mono.aifc", MakeAifc("in24", 1, 24, EncodeInts(ramp, 3, be)));
  add("aifc-in32-stereo.aifc", MakeAifc("in32", 2, 32, EncodeInts(ramp, 4, be)));
  add("aifc-raw-8-mono.aifc", MakeAifc("raw ", 1, 8, {0x80, 0xFF, 0x00, 0x7F, 0x81, 0x01}));
  add("aifc-in32-24-mono.aifc", MakeAifc("in32", 1, 24, EncodeInts(ramp, 3, be)), false);
  add("aifc-fl64-mono.aifc", MakeAifc("fl64", 1, 64, Bytes(16, 0)), false);
  add("aifc-ulaw-mono.aifc", MakeAifc("ulaw", 1, 8, {0xFF, 0x7F, 0x00, 0x80}), false);
  {
    AiffFormat format{false, 1, 2, 16, AiffRateBytes(22050)};
    const Bytes samples = EncodeInts({5, -5}, 2, be);
    add("aiff-ssnd-first-ixml.aiff",
        MakeAiff(false, {SsndChunk(samples), TextChunk("iXML", "<BWFXML/>"), CommChunk(format)}));
  }
  return files;
}
} // namespace sample_file_writer
