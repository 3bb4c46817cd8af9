// WAV files: header layout for each format and channel count, sample values, clipping.

#include "HostTestSupport.h"
#include "TempFolder.h"
#include "WavWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace krb::host
{
namespace
{

TEST(WavWriterTest, WritesTheHeaderForEachFormatAndChannelCount)
{
  struct HeaderCase
  {
    std::size_t mChannels;
    EWavFormat mFormat;
    std::uint16_t mTag;
    std::uint16_t mSubFormat;
    std::uint32_t mFmtSize;
    std::uint16_t mBits;
    bool mFact;
  };
  const HeaderCase kCases[] = {
    {1, EWavFormat::kPcm16, 1, 0, 16, 16, false},       {2, EWavFormat::kPcm16, 1, 0, 16, 16, false},
    {2, EWavFormat::kFloat32, 3, 0, 18, 32, true},      {24, EWavFormat::kFloat32, 0xFFFE, 3, 40, 32, true},
    {24, EWavFormat::kPcm16, 0xFFFE, 1, 40, 16, false},
  };
  krbtest::TempFolder dir;
  for (const HeaderCase& c : kCases)
  {
    SCOPED_TRACE(c.mChannels);
    constexpr std::int64_t kFrames = 5;
    std::vector<std::vector<double>> data(c.mChannels, std::vector<double>(kFrames));
    for (std::size_t ch = 0; ch < c.mChannels; ++ch)
      for (std::int64_t f = 0; f < kFrames; ++f)
        data[ch][static_cast<std::size_t>(f)] = (static_cast<double>(ch) + 1) / 32.0 - 0.1 * static_cast<double>(f);
    std::vector<const std::vector<double>*> channels;
    for (const auto& channel : data)
      channels.push_back(&channel);

    std::string error;
    const auto path = dir / "test.wav";
    ASSERT_TRUE(WriteWav(path, channels, kFrames, 44100, c.mFormat, error)) << error;
    test::WavData wav;
    ASSERT_TRUE(test::ReadWav(path, wav));
    EXPECT_EQ(wav.mFormatTag, c.mTag);
    EXPECT_EQ(wav.mSubFormat, c.mSubFormat);
    EXPECT_EQ(wav.mFmtSize, c.mFmtSize);
    EXPECT_EQ(wav.mBits, c.mBits);
    EXPECT_EQ(wav.mHasFact, c.mFact);
    EXPECT_EQ(wav.mSampleRate, 44100u);
    ASSERT_EQ(wav.mChannels, c.mChannels);
    const double tolerance = c.mFormat == EWavFormat::kPcm16 ? 0.5 / 32767 : 1e-7;
    for (std::size_t ch = 0; ch < c.mChannels; ++ch)
      for (std::size_t f = 0; f < kFrames; ++f)
        EXPECT_NEAR(wav.mSamples[ch][f], data[ch][f], tolerance) << ch << ":" << f;
  }
}

TEST(WavWriterTest, Pcm16ClipsAndSilencesNonNumbers)
{
  const std::vector<double> samples = {1.5, -2.0, std::numeric_limits<double>::quiet_NaN(), -1.0, 0.5};
  krbtest::TempFolder dir;
  std::string error;
  ASSERT_TRUE(WriteWav(dir / "clip.wav", {&samples}, 5, 8000, EWavFormat::kPcm16, error)) << error;
  test::WavData wav;
  ASSERT_TRUE(test::ReadWav(dir / "clip.wav", wav));
  const double kExpected[] = {1.0, -1.0, 0.0, -1.0, 16384.0 / 32767};
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_DOUBLE_EQ(wav.mSamples[0][i], kExpected[i]) << i;
}

TEST(WavWriterTest, RefusesWhatItCannotWrite)
{
  krbtest::TempFolder dir;
  const std::vector<double> shortChannel(3);
  std::string error;
  EXPECT_FALSE(WriteWav(dir / "a.wav", {}, 3, 44100, EWavFormat::kFloat32, error));
  EXPECT_FALSE(WriteWav(dir / "b.wav", {&shortChannel}, 4, 44100, EWavFormat::kFloat32, error));
  EXPECT_FALSE(WriteWav(dir / "missing" / "c.wav", {&shortChannel}, 3, 44100, EWavFormat::kFloat32, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

} // namespace
} // namespace krb::host
