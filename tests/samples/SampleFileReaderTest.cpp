#include "SampleFileReader.h"
#include "SampleFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>

using namespace sample_file_writer;

namespace
{
constexpr EByteOrder le = EByteOrder::kLittleEndian;
constexpr EByteOrder be = EByteOrder::kBigEndian;
using Channels = std::vector<std::vector<double>>;

// Everything a load can change, for comparing a reader before and after.
struct ReaderState
{
  Channels mSamples;
  std::string mIXMLChunk;
  ESampleFileFormat mFileFormat;
  uint32_t mSampleRate;
  int32_t mBitDepth;
  bool operator==(const ReaderState&) const = default;
};

ReaderState StateOf(const SampleFileReader<double>& reader)
{
  return {reader.mSamples, reader.mIXMLChunk, reader.mFileFormat, reader.mSampleRate, reader.mBitDepth};
}

// Runs action and returns what it printed on standard output.
std::string Printed(const std::function<void()>& action)
{
  testing::internal::CaptureStdout();
  action();
  return testing::internal::GetCapturedStdout();
}

struct LoadResult
{
  bool mOk;
  std::string mOutput;
};

LoadResult LoadBytes(SampleFileReader<double>& reader, const Bytes& bytes)
{
  bool ok = false;
  const std::string output = Printed([&] { ok = reader.LoadFromMemory(bytes); });
  return {ok, output};
}

// A reader that already holds a file, so that a failed load shows what it leaves alone.
constexpr uint32_t kPreviousRate = 48000;
const Channels kPreviousSamples = {{1 / 32767.0, 3 / 32767.0}, {2 / 32767.0, 4 / 32767.0}};
const std::string kPreviousIXML = "<PREVIOUS/>";

SampleFileReader<double> PreloadedReader()
{
  SampleFileReader<double> reader;
  const Bytes previous = MakeWave({FmtChunk({kWavePcm, 2, kPreviousRate, 16}),
                                   DataChunk(EncodeInts({1, 2, 3, 4}, 2, le)), TextChunk("iXML", kPreviousIXML)});
  EXPECT_TRUE(reader.LoadFromMemory(previous));
  EXPECT_EQ(reader.mSamples, kPreviousSamples);
  return reader;
}

ReaderState PreviousState(ESampleFileFormat format)
{
  return {kPreviousSamples, kPreviousIXML, format, kPreviousRate, 16};
}

std::string Line(const std::string& text) { return text + "\n"; }

const std::string kNotWave = "ERROR: this doesn't seem to be a valid .WAV file";
const std::string kNotAiff = "ERROR: this doesn't seem to be a valid AIFF file";
const std::string kInconsistent = "ERROR: the header data in this WAV file seems to be inconsistent";
const std::string kBadChannels = "ERROR: this WAV file seems to be an invalid number of channels (or corrupted?)";
const std::string kBadFormat =
  "ERROR: this .WAV file is encoded in a format that this library does not support at present";
const std::string kBadBitDepth = "ERROR: this file has a bit depth that is not 8, 16, 24 or 32 bits";
const std::string kReadError =
  "ERROR: read file error as the metadata indicates more samples than there are in the file data";
const std::string kBadRate = "ERROR: this AIFF file has an unsupported sample rate";
const std::string kNotMonoStereo =
  "ERROR: this AIFF file seems to be neither mono nor stereo (perhaps multi-track, or corrupted?)";
const std::string kBadMetadata = "ERROR: the metadatafor this file doesn't seem right";

std::string SampleTypeMessage(const std::string& bits)
{
  return "ERROR: you are trying to read a " + bits + "-bit file using a 64-bit sample type";
}

Bytes Concat(Bytes a, const Bytes& b)
{
  Append(a, b);
  return a;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TEST(SampleFileReader, StartsWithOneEmptyChannelAndDefaults)
{
  const SampleFileReader<double> reader;
  EXPECT_EQ(StateOf(reader), (ReaderState{{{}}, "", ESampleFileFormat::kNotLoaded, 44100, 16}));
  EXPECT_TRUE(reader.mLogErrors);
}

TEST(SampleFileReader, FormatValues)
{
  EXPECT_EQ(static_cast<int32_t>(ESampleFileFormat::kError), 0);
  EXPECT_EQ(static_cast<int32_t>(ESampleFileFormat::kNotLoaded), 1);
  EXPECT_EQ(static_cast<int32_t>(ESampleFileFormat::kWave), 2);
  EXPECT_EQ(static_cast<int32_t>(ESampleFileFormat::kAiff), 3);
}

TEST(SampleFileReader, ReportsNothingWhenLoggingIsOff)
{
  SampleFileReader<double> reader;
  reader.mLogErrors = false;
  EXPECT_EQ(LoadBytes(reader, {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0}).mOutput, "");
  EXPECT_EQ(reader.mFileFormat, ESampleFileFormat::kError);
}

// ---------------------------------------------------------------------------------------------
// Chunk walk

struct ChunkWalkCase
{
  const char* mName;
  Bytes mBytes;
  const char* mId;
  int32_t mExpected;
};

void PrintTo(const ChunkWalkCase& c, std::ostream* out) { *out << c.mName; }

class ChunkWalk : public testing::TestWithParam<ChunkWalkCase>
{};

TEST_P(ChunkWalk, FindsTheFirstMatchOrEnds)
{
  const ChunkWalkCase& c = GetParam();
  EXPECT_EQ(FindChunk(c.mBytes, c.mId, le), c.mExpected);
}

namespace
{
// A header and one chunk with the given size field, followed by a "data" chunk the walk must not reach.
Bytes ChunkWithSize(uint32_t size)
{
  Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'b', 'i', 'g', ' '};
  PutU32(b, size, le);
  PutId(b, "data");
  PutU32(b, 0, le);
  return b;
}

Bytes Header() { return {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}; }

const Bytes kSixtyByteFile =
  MakeWave({Chunk{"odd!", {1, 2, 3}, std::nullopt}, FmtChunk({}), Chunk{"data", {0, 0, 0, 0}, std::nullopt}});

std::vector<ChunkWalkCase> ChunkWalkCases()
{
  return {
    {"OddChunkIsSteppedWithItsPadByteFmt", kSixtyByteFile, "fmt ", 24},
    {"OddChunkIsSteppedWithItsPadByteData", kSixtyByteFile, "data", 48},
    {"HeaderOnly", Header(), "data", -1},
    {"SixteenBytesFindNothing", Concat(Header(), {'d', 'a', 't', 'a'}), "data", -1},
    {"IdWithCutOffSizeIsFound", Concat(Header(), {'d', 'a', 't', 'a', 0}), "data", 12},
    {"SizeFieldCutOff", Concat(Header(), {'f', 'm', 't', ' ', 0, 0, 0}), "data", -1},
    {"SizeFieldEndsTheData", Concat(Header(), {'f', 'm', 't', ' ', 0, 0, 0, 0}), "data", -1},
    {"IdInTheLastFourBytesIsNotFound", Concat(Header(), {'f', 'm', 't', ' ', 0, 0, 0, 0, 'd', 'a', 't', 'a'}), "data",
     -1},
    {"StepOfExactlyZeroA", ChunkWithSize(0xFFFFFFF7), "data", -1},
    {"StepOfExactlyZeroB", ChunkWithSize(0xFFFFFFF8), "data", -1},
    {"NegativeStep", ChunkWithSize(0x7FFFFFF7), "data", -1},
    {"StepBackwards", ChunkWithSize(0xFFFFFFF0), "data", -1},
    {"AllOnesSizeWrapsToAStepOfEight", ChunkWithSize(0xFFFFFFFF), "data", 20},
    {"StepPastTheEnd", ChunkWithSize(1000), "data", -1},
    {"ZeroSizeChunkIsStepped", ChunkWithSize(0), "data", 20},
    {"FirstMatchWins", Concat(ChunkWithSize(0), {'d', 'a', 't', 'a', 0, 0, 0, 0}), "data", 20},
  };
}

std::string CaseName(const testing::TestParamInfo<ChunkWalkCase>& info) { return info.param.mName; }
} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, ChunkWalk, testing::ValuesIn(ChunkWalkCases()), CaseName);

TEST(ChunkWalkOrder, AiffSizesAreBigEndian)
{
  Bytes b = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'A', 'I', 'F', 'F', 'a', 'b', 'c', 'd', 0, 0, 0, 2, 0, 0};
  PutId(b, "COMM");
  PutU32(b, 0, be);
  EXPECT_EQ(FindChunk(b, "COMM", be), 22);
  EXPECT_EQ(FindChunk(b, "COMM", le), -1);
}

// ---------------------------------------------------------------------------------------------
// Decoded values

struct DecodeCase
{
  const char* mName;
  Bytes mFile;
  Channels mExpected;
  uint32_t mSampleRate;
  int32_t mBitDepth;
  ESampleFileFormat mFormat;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.mName; }

class Decode : public testing::TestWithParam<DecodeCase>
{};

TEST_P(Decode, GivesTheExactValuesAndFields)
{
  const DecodeCase& c = GetParam();
  SampleFileReader<double> reader;
  const LoadResult result = LoadBytes(reader, c.mFile);
  EXPECT_TRUE(result.mOk);
  EXPECT_EQ(result.mOutput, "");
  EXPECT_EQ(reader.mSamples, c.mExpected);
  EXPECT_EQ(reader.mSampleRate, c.mSampleRate);
  EXPECT_EQ(reader.mBitDepth, c.mBitDepth);
  EXPECT_EQ(reader.mFileFormat, c.mFormat);
  EXPECT_EQ(reader.mIXMLChunk, "");
}

namespace
{
constexpr ESampleFileFormat kWave = ESampleFileFormat::kWave;
constexpr ESampleFileFormat kAiff = ESampleFileFormat::kAiff;

float FloatOfBits(uint32_t bits)
{
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// 16-bit frames in which sample k of channel c is c * 100 - k, so every channel is told apart.
Bytes ManyChannelFrames(int numChannels, int numFrames, Channels& expected)
{
  std::vector<int64_t> values;
  expected.assign(numChannels, {});
  for (int k = 0; k < numFrames; ++k)
    for (int c = 0; c < numChannels; ++c)
    {
      const int64_t v = c * 100 - k;
      values.push_back(v);
      expected[c].push_back(v / 32767.0);
    }
  return EncodeInts(values, 2, le);
}

std::vector<DecodeCase> DecodeCases()
{
  std::vector<DecodeCase> cases = {
    {"Wave8BitUnsigned",
     MakeWave({kWavePcm, 1, 8000, 8}, {0x80, 0xFF, 0x00, 0x81}),
     {{0.0, 1.0, -128 / 127.0, 1 / 127.0}},
     8000,
     8,
     kWave},
    {"Wave16Bit",
     MakeWave({kWavePcm, 1, 44100, 16}, EncodeInts({0, 32767, -32768, 1, -1}, 2, le)),
     {{0.0, 1.0, -32768 / 32767.0, 1 / 32767.0, -1 / 32767.0}},
     44100,
     16,
     kWave},
    {"Wave24Bit",
     MakeWave({kWavePcm, 1, 96000, 24}, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF}),
     {{-8388608 / 8388607.0, 1.0, 1 / 8388607.0, -1 / 8388607.0}},
     96000,
     24,
     kWave},
    {"Wave32BitInt",
     MakeWave({kWavePcm, 1, 48000, 32}, EncodeInts({2147483647, -2147483648LL, 0x3FC00000}, 4, le)),
     {{1.0, -2147483648.0 / 2147483647.0, 0x3FC00000 / 2147483647.0}},
     48000,
     32,
     kWave},
    {"Wave32BitFloatIsNotScaled",
     MakeWave({kWaveFloat, 1, 48000, 32}, EncodeFloats({1.5f, -0.25f, 3.0e-7f}, le)),
     {{1.5, -0.25, static_cast<double>(3.0e-7f)}},
     48000,
     32,
     kWave},
    {"Wave32BitExtensiblePcmIsInteger",
     MakeWave(ExtensibleFormat(1, 48000, 32, kWavePcm), EncodeFloats({1.5f}, le)),
     {{0x3FC00000 / 2147483647.0}},
     48000,
     32,
     kWave},
    {"Wave16BitFloatCodeIsInteger",
     MakeWave({kWaveFloat, 1, 44100, 16}, EncodeInts({-2, 7}, 2, le)),
     {{-2 / 32767.0, 7 / 32767.0}},
     44100,
     16,
     kWave},
    {"Wave24BitExtensible",
     MakeWave({kWaveExtensible, 2, 44100, 24}, EncodeInts({1, -1, 2, -2}, 3, le)),
     {{1 / 8388607.0, 2 / 8388607.0}, {-1 / 8388607.0, -2 / 8388607.0}},
     44100,
     24,
     kWave},
    {"WaveStereoInterleaved",
     MakeWave({kWavePcm, 2, 22050, 16}, EncodeInts({1, 2, 3, 4, 5, 6}, 2, le)),
     {{1 / 32767.0, 3 / 32767.0, 5 / 32767.0}, {2 / 32767.0, 4 / 32767.0, 6 / 32767.0}},
     22050,
     16,
     kWave},
    {"WaveFourChannels8Bit",
     MakeWave({kWavePcm, 4, 11025, 8}, {128, 129, 130, 131, 127, 126, 125, 124}),
     {{0.0, -1 / 127.0}, {1 / 127.0, -2 / 127.0}, {2 / 127.0, -3 / 127.0}, {3 / 127.0, -4 / 127.0}},
     11025,
     8,
     kWave},
    {"WaveDataBeforeFmt",
     MakeWave({DataChunk(EncodeInts({9, -9}, 2, le)), FmtChunk({kWavePcm, 1, 32000, 16})}),
     {{9 / 32767.0, -9 / 32767.0}},
     32000,
     16,
     kWave},
    {"WaveOddChunksBeforeFmt",
     MakeWave({Chunk{"junk", {1, 2, 3}, std::nullopt}, Chunk{"LIST", {4}, std::nullopt},
               FmtChunk({kWavePcm, 1, 44100, 16}), Chunk{"pad ", {5, 6, 7, 8, 9}, std::nullopt},
               DataChunk(EncodeInts({11}, 2, le))}),
     {{11 / 32767.0}},
     44100,
     16,
     kWave},
    {"WaveTrailingBytesAreDropped",
     MakeWave({kWavePcm, 2, 44100, 16}, EncodeInts({1, 2, 3}, 2, le)),
     {{1 / 32767.0}, {2 / 32767.0}},
     44100,
     16,
     kWave},
    {"WaveZeroRateAndByteRatePass",
     MakeWave({kWavePcm, 1, 0, 16}, EncodeInts({5}, 2, le)),
     {{5 / 32767.0}},
     0,
     16,
     kWave},
    {"WaveDataSizeOf2To31IsEmpty",
     MakeWave({FmtChunk({kWavePcm, 2, 44100, 16}), Chunk{"data", EncodeInts({1, 2}, 2, le), 0x80000000u, false}}),
     {{}, {}},
     44100,
     16,
     kWave},
    {"WaveOverstatedDataReadsFollowingChunk",
     MakeWave({FmtChunk({kWavePcm, 1, 44100, 8}), Chunk{"data", {128}, 10u}, Chunk{"abc ", {}, std::nullopt}}),
     // The data chunk's pad byte, then the bytes of the chunk header "abc " with its size 0.
     {{0.0, -128 / 127.0, ('a' - 128) / 127.0, ('b' - 128) / 127.0, ('c' - 128) / 127.0, (' ' - 128) / 127.0,
       -128 / 127.0, -128 / 127.0, -128 / 127.0, -128 / 127.0}},
     44100,
     8,
     kWave},
    {"Aiff16BitStereo",
     MakeAiff({false, 2, 0, 16, AiffRateBytes(44100)}, EncodeInts({1, -1, 32767, -32768}, 2, be)),
     {{1 / 32767.0, 1.0}, {-1 / 32767.0, -32768 / 32767.0}},
     44100,
     16,
     kAiff},
    {"Aiff8BitSigned",
     MakeAiff({false, 1, 0, 8, AiffRateBytes(8000)}, {0x80, 0x7F, 0x00, 0xFF}),
     {{-128 / 127.0, 1.0, 0.0, -1 / 127.0}},
     8000,
     8,
     kAiff},
    {"Aiff24Bit",
     MakeAiff({false, 1, 0, 24, AiffRateBytes(96000)}, {0x80, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}),
     {{-8388608 / 8388607.0, 1.0, -2 / 8388607.0}},
     96000,
     24,
     kAiff},
    {"Aiff32BitInteger",
     MakeAiff({false, 1, 0, 32, AiffRateBytes(48000)}, EncodeFloats({1.5f}, be)),
     {{0x3FC00000 / 2147483647.0}},
     48000,
     32,
     kAiff},
    {"Aifc32BitFloat",
     MakeAiff({true, 2, 0, 32, AiffRateBytes(192000)}, EncodeFloats({1.5f, -7.0f, FloatOfBits(1), 0.0f}, be)),
     {{1.5, static_cast<double>(FloatOfBits(1))}, {-7.0, 0.0}},
     192000,
     32,
     kAiff},
    {"Aifc16BitIsInteger",
     MakeAiff({true, 1, 0, 16, AiffRateBytes(22050)}, EncodeInts({-3, 3}, 2, be)),
     {{-3 / 32767.0, 3 / 32767.0}},
     22050,
     16,
     kAiff},
    {"AiffSsndBeforeComm",
     MakeAiff(false, {SsndChunk(EncodeInts({4, 5}, 2, be)), CommChunk({false, 1, 2, 16, AiffRateBytes(32000)})}),
     {{4 / 32767.0, 5 / 32767.0}},
     32000,
     16,
     kAiff},
    {"AiffOffsetSkipsBytesBeforeTheData",
     MakeAiff(false, {CommChunk({false, 1, 2, 16, AiffRateBytes(44100)}), SsndChunk(EncodeInts({6, 7}, 2, be), 3)}),
     {{6 / 32767.0, 7 / 32767.0}},
     44100,
     16,
     kAiff},
    {"AiffZeroFramesGivesEmptyChannels",
     MakeAiff(false, {CommChunk({false, 2, 0, 16, AiffRateBytes(44100)}), SsndChunk({})}),
     {{}, {}},
     44100,
     16,
     kAiff},
    {"AiffNegativeFrameCountReadsNothing",
     MakeAiff(false, {CommChunk({false, 1, 0xFFFFFFFF, 16, AiffRateBytes(44100)}), SsndChunk({}, 0, 6)}),
     {{}},
     44100,
     16,
     kAiff},
  };
  Channels expected;
  const Bytes frames = ManyChannelFrames(128, 3, expected);
  cases.push_back({"Wave128Channels", MakeWave({kWavePcm, 128, 44100, 16}, frames), expected, 44100, 16, kWave});
  return cases;
}

std::string DecodeName(const testing::TestParamInfo<DecodeCase>& info) { return info.param.mName; }
} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, Decode, testing::ValuesIn(DecodeCases()), DecodeName);

TEST(DecodeEvery16BitValue, IsTheDivisionToTheLastBit)
{
  std::vector<int64_t> values;
  Channels expected(1);
  for (int64_t v = -32768; v <= 32767; ++v)
  {
    values.push_back(v);
    expected[0].push_back(static_cast<double>(v) / 32767.0);
  }
  for (bool aiff : {false, true})
  {
    SampleFileReader<double> reader;
    const Bytes file = aiff ? MakeAiff({false, 1, 0, 16, AiffRateBytes(44100)}, EncodeInts(values, 2, be))
                            : MakeWave({kWavePcm, 1, 44100, 16}, EncodeInts(values, 2, le));
    ASSERT_TRUE(LoadBytes(reader, file).mOk);
    EXPECT_EQ(reader.mSamples, expected) << (aiff ? "AIFF" : "WAVE");
  }
}

// ---------------------------------------------------------------------------------------------
// Refused files: the message and what the reader holds afterwards

struct FailureCase
{
  const char* mName;
  Bytes mFile;
  std::string mMessage;
  ReaderState mAfter; // the reader held the previous file before
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.mName; }

class Refuse : public testing::TestWithParam<FailureCase>
{};

TEST_P(Refuse, PrintsOneLineAndKeepsWhatItMust)
{
  const FailureCase& c = GetParam();
  SampleFileReader<double> reader = PreloadedReader();
  const LoadResult result = LoadBytes(reader, c.mFile);
  EXPECT_FALSE(result.mOk);
  EXPECT_EQ(result.mOutput, Line(c.mMessage));
  EXPECT_EQ(StateOf(reader), c.mAfter);
}

namespace
{
// The previous file's samples and iXML text, with the new file's header fields.
ReaderState HeaderFields(ESampleFileFormat format, uint32_t rate, int32_t bits)
{
  return {kPreviousSamples, kPreviousIXML, format, rate, bits};
}

ReaderState PartlyRead(ESampleFileFormat format, uint32_t rate, int32_t bits, Channels samples)
{
  return {std::move(samples), kPreviousIXML, format, rate, bits};
}

Bytes WaveWithFields(uint16_t code, uint16_t channels, uint32_t rate, uint16_t bits)
{
  return MakeWave({code, channels, rate, bits}, Bytes(64, 0));
}

Bytes Comm(AiffFormat format, const Bytes& samples, std::optional<uint32_t> ssndSize = std::nullopt, int32_t offset = 0)
{
  return MakeAiff(format.mAifc, {CommChunk(format), SsndChunk(samples, offset, ssndSize)});
}

// The 30-byte file whose format chunk ends right after its format code.
Bytes ShortFmtFile() { return MakeWave({DataChunk({}), Chunk{"fmt ", {1, 0}, std::nullopt}}); }

// An AIFF file whose "COMM" chunk is cut off by the end of the image after `keep` of its bytes.
Bytes CutComm(size_t keep)
{
  Bytes file = MakeAiff(false, {SsndChunk({}), CommChunk({false, 1, 0, 16, AiffRateBytes(44100)})});
  file.resize(file.size() - 18 + keep);
  return file;
}

std::array<uint8_t, 10> WithByte(std::array<uint8_t, 10> bytes, int index, uint8_t value)
{
  bytes[index] = value;
  return bytes;
}

std::vector<FailureCase> FailureCases()
{
  const ReaderState waveUnchanged = PreviousState(kWave);
  const ReaderState aiffUnchanged = PreviousState(kAiff);
  const Bytes sixFrames = EncodeInts({1, 2, 3, 4, 5, 6}, 2, be);
  return {
    {"UnknownType",
     {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
     "Audio File Type: Error",
     PreviousState(ESampleFileFormat::kError)},
    {"LowerCaseRiff", Concat({'r', 'i', 'f', 'f'}, Bytes(8, 0)), "Audio File Type: Error",
     PreviousState(ESampleFileFormat::kError)},
    {"TooShortToChoose", {'R', 'I', 'F'}, "Audio File Type: Error", PreviousState(ESampleFileFormat::kError)},
    {"WaveHeaderOnly", Header(), kNotWave, waveUnchanged},
    {"WaveSixteenBytes", Concat(Header(), {'f', 'm', 't', ' '}), kNotWave, waveUnchanged},
    {"WaveOtherFormType", MakeContainer("RIFF", "WAVX", {FmtChunk({}), DataChunk({0, 0})}, le), kNotWave,
     waveUnchanged},
    {"WaveWithoutData", MakeWave({FmtChunk({})}), kNotWave, waveUnchanged},
    {"WaveWithoutFmt", MakeWave({DataChunk({0, 0})}), kNotWave, waveUnchanged},
    {"WaveChunkWalkCutByZeroStep", MakeWave({Chunk{"big ", {}, 0xFFFFFFF8u}, FmtChunk({}), DataChunk({0, 0})}),
     kNotWave, waveUnchanged},
    {"WaveBitDepth72", WaveWithFields(kWavePcm, 1, 44100, 72), SampleTypeMessage("72"), HeaderFields(kWave, 44100, 72)},
    {"WaveBitDepthAllOnes", WaveWithFields(kWavePcm, 1, 44100, 0xFFFF), SampleTypeMessage("-1"),
     HeaderFields(kWave, 44100, -1)},
    {"WaveBitDepth64", WaveWithFields(kWavePcm, 1, 8000, 64), kBadBitDepth, HeaderFields(kWave, 8000, 64)},
    {"WaveBitDepth12", WaveWithFields(kWavePcm, 1, 8000, 12), kBadBitDepth, HeaderFields(kWave, 8000, 12)},
    {"WaveFormatCode2", WaveWithFields(2, 1, 44100, 16), kBadFormat, HeaderFields(kWave, 44100, 16)},
    {"WaveSampleTypeBeforeFormat", WaveWithFields(2, 0, 44100, 65), SampleTypeMessage("65"),
     HeaderFields(kWave, 44100, 65)},
    {"WaveZeroChannels", WaveWithFields(kWavePcm, 0, 44100, 16), kBadChannels, HeaderFields(kWave, 44100, 16)},
    {"Wave129Channels", WaveWithFields(kWavePcm, 129, 44100, 16), kBadChannels, HeaderFields(kWave, 44100, 16)},
    {"WaveFmtEndsAfterCode", ShortFmtFile(), kBadChannels, HeaderFields(kWave, 0, 0)},
    {"WaveByteRateOneOff", MakeWave({kWavePcm, 2, 44100, 16, 44100 * 4 + 1}, Bytes(8, 0)), kInconsistent,
     HeaderFields(kWave, 44100, 16)},
    {"WaveBlockAlignOff", MakeWave({kWavePcm, 2, 44100, 16, std::nullopt, 2}, Bytes(8, 0)), kInconsistent,
     HeaderFields(kWave, 44100, 16)},
    {"WaveTruncatedDataKeepsWhatWasRead",
     MakeWave({FmtChunk({kWavePcm, 2, 44100, 16}), DataChunk(EncodeInts({1, 2, 3, 4, 5, 6, 7}, 2, le), 16u)}),
     kReadError,
     PartlyRead(kWave, 44100, 16,
                {{1 / 32767.0, 3 / 32767.0, 5 / 32767.0, 7 / 32767.0}, {2 / 32767.0, 4 / 32767.0, 6 / 32767.0}})},
    {"WaveTruncatedInsideASample",
     MakeWave({FmtChunk({kWavePcm, 1, 44100, 24}), Chunk{"data", {1, 0, 0, 2, 0}, 9u, false}}), kReadError,
     PartlyRead(kWave, 44100, 24, {{1 / 8388607.0}})},
    {"WaveNothingAfterDataHeader", MakeWave({FmtChunk({kWavePcm, 1, 44100, 16}), Chunk{"data", {}, 2u, false}}),
     kReadError, PartlyRead(kWave, 44100, 16, {{}})},

    {"AiffOtherFormType", MakeContainer("FORM", "AIFX", {CommChunk({}), SsndChunk({})}, be), kNotAiff, aiffUnchanged},
    {"AiffWithoutComm", MakeAiff(false, {SsndChunk({})}), kNotAiff, aiffUnchanged},
    {"AiffWithoutSsnd", MakeAiff(false, {CommChunk({})}), kNotAiff, aiffUnchanged},
    {"AiffHeaderOnly", {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'}, kNotAiff, aiffUnchanged},
    {"AiffCommCutBeforeRateEnd", CutComm(17), kNotAiff, aiffUnchanged},
    {"AiffCommCutAfterChannels", CutComm(2), kNotAiff, aiffUnchanged},
    {"AiffCommCutAfterItsId", CutComm(0), kNotAiff, aiffUnchanged},
    {"AiffRate12000", Comm({false, 1, 6, 16, AiffRateBytes(12000)}, sixFrames), kBadRate, HeaderFields(kAiff, 0, 16)},
    {"AiffRate24000", Comm({false, 1, 6, 16, AiffRateBytes(24000)}, sixFrames), kBadRate, HeaderFields(kAiff, 0, 16)},
    {"Aiff44100WithTrailingBit", Comm({false, 1, 6, 16, WithByte(AiffRateBytes(44100), 9, 1)}, sixFrames), kBadRate,
     HeaderFields(kAiff, 0, 16)},
    {"Aiff44100WithByte4Set", Comm({false, 1, 6, 16, WithByte(AiffRateBytes(44100), 4, 0x80)}, sixFrames), kBadRate,
     HeaderFields(kAiff, 0, 16)},
    {"AiffBits64", Comm({false, 1, 6, 64, AiffRateBytes(8000)}, sixFrames), kBadBitDepth,
     HeaderFields(kAiff, 8000, 64)},
    {"AiffBits65", Comm({false, 1, 6, 65, AiffRateBytes(8000)}, sixFrames), SampleTypeMessage("65"),
     HeaderFields(kAiff, 8000, 65)},
    {"AiffBitsNegative", Comm({false, 1, 6, 0xFFF0, AiffRateBytes(8000)}, sixFrames), SampleTypeMessage("-16"),
     HeaderFields(kAiff, 8000, -16)},
    {"AiffBitsBeforeRate", Comm({false, 3, 6, 65, AiffRateBytes(12000)}, sixFrames), SampleTypeMessage("65"),
     HeaderFields(kAiff, 0, 65)},
    {"AiffZeroChannels", Comm({false, 0, 6, 12, AiffRateBytes(44100)}, sixFrames), kNotMonoStereo,
     HeaderFields(kAiff, 44100, 12)},
    {"AiffThreeChannels", Comm({false, 3, 6, 12, AiffRateBytes(44100)}, sixFrames), kNotMonoStereo,
     HeaderFields(kAiff, 44100, 12)},
    {"AiffBits12", Comm({false, 1, 6, 12, AiffRateBytes(44100)}, sixFrames), kBadBitDepth,
     HeaderFields(kAiff, 44100, 12)},
    {"AiffSsndSizeCountsOffsetBytes", Comm({false, 1, 6, 16, AiffRateBytes(44100)}, sixFrames, 8 + 12 + 4, 4),
     kBadMetadata, HeaderFields(kAiff, 44100, 16)},
    {"AiffSsndSizeTooLarge", Comm({false, 1, 6, 16, AiffRateBytes(44100)}, sixFrames, 8 + 12 + 2), kBadMetadata,
     HeaderFields(kAiff, 44100, 16)},
    {"AiffMoreFramesThanSamples", Comm({false, 1, 7, 16, AiffRateBytes(44100)}, sixFrames, 8 + 14), kBadMetadata,
     HeaderFields(kAiff, 44100, 16)},
    {"AiffFrameCountOverflows", Comm({false, 2, 0x40000000, 32, AiffRateBytes(44100)}, sixFrames, 8), kBadMetadata,
     HeaderFields(kAiff, 44100, 32)},
    {"AiffNegativeOffset", Comm({false, 2, 3, 16, AiffRateBytes(44100)}, sixFrames, 8 + 12, -4096), kReadError,
     PartlyRead(kAiff, 44100, 16, {{}, {}})},
  };
}

std::string FailureName(const testing::TestParamInfo<FailureCase>& info) { return info.param.mName; }
} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, Refuse, testing::ValuesIn(FailureCases()), FailureName);

TEST(RefuseAiff, FileCutShortInsideItsSamples)
{
  Bytes file = MakeAiff({false, 2, 0, 16, AiffRateBytes(44100)}, EncodeInts({1, 2, 3, 4, 5, 6}, 2, be));
  file.resize(file.size() - 3);
  SampleFileReader<double> reader = PreloadedReader();
  EXPECT_EQ(LoadBytes(reader, file).mOutput, Line(kBadMetadata));
  EXPECT_EQ(StateOf(reader), HeaderFields(kAiff, 44100, 16));
}

// ---------------------------------------------------------------------------------------------
// Files as common encoders write them: the extensible format's sub-format and the AIFC compression
// type say how the samples are stored, and a file whose samples this reader cannot decode is
// refused rather than played as noise.

struct EncoderCase
{
  const char* mName;
  Bytes mFile;
  std::string mMessage; // empty: the file decodes to mExpected
  Channels mExpected;
  uint32_t mSampleRate;
  int32_t mBitDepth;
};

void PrintTo(const EncoderCase& c, std::ostream* out) { *out << c.mName; }

class EncoderFile : public testing::TestWithParam<EncoderCase>
{};

namespace
{
const std::string kAiffBadFormat =
  "ERROR: this AIFF file is encoded in a format that this library does not support at present";

bool HasWaveHeader(const Bytes& file) { return file.size() >= 4 && std::equal(file.begin(), file.begin() + 4, "RIFF"); }
} // namespace

TEST_P(EncoderFile, DecodesAsStoredOrIsRefused)
{
  const EncoderCase& c = GetParam();
  SampleFileReader<double> reader = PreloadedReader();
  const LoadResult result = LoadBytes(reader, c.mFile);
  const ESampleFileFormat format = HasWaveHeader(c.mFile) ? kWave : kAiff;
  if (c.mMessage.empty())
  {
    EXPECT_TRUE(result.mOk);
    EXPECT_EQ(result.mOutput, "");
    // The new file has no iXML chunk, so the previous text stays.
    EXPECT_EQ(StateOf(reader), (ReaderState{c.mExpected, kPreviousIXML, format, c.mSampleRate, c.mBitDepth}));
  }
  else
  {
    // Refused before anything is decoded: the previous file's samples stay.
    EXPECT_FALSE(result.mOk);
    EXPECT_EQ(result.mOutput, Line(c.mMessage));
    EXPECT_EQ(StateOf(reader), HeaderFields(format, c.mSampleRate, c.mBitDepth));
  }
}

namespace
{
Bytes Extensible(uint16_t numChannels, uint16_t bitDepth, uint16_t subFormat, const Bytes& samples)
{
  return MakeWave(ExtensibleFormat(numChannels, 44100, bitDepth, subFormat), samples);
}

// A one-channel 32-bit extensible file with the float sub-format whose format chunk is changed by edit.
Bytes ExtensibleFloatWith(const std::function<void(Chunk&)>& edit, const Bytes& samples)
{
  Chunk fmt = FmtChunk(ExtensibleFormat(1, 44100, 32, kWaveFloat));
  edit(fmt);
  return MakeWave({fmt, DataChunk(samples)});
}

// An "AIFC" file whose "COMM" chunk ends after the rate, with no compression type.
Bytes AifcWithoutCompressionType(uint16_t bitDepth, const Bytes& samples)
{
  Chunk comm =
    CommChunk({true, 1, static_cast<uint32_t>(samples.size() / (bitDepth / 8)), bitDepth, AiffRateBytes(44100)});
  comm.mBody.resize(18);
  return MakeAiff(true, {comm, SsndChunk(samples)});
}

// An "AIFF" file whose "COMM" chunk goes on with compression-type bytes, as an AIFC one would.
Bytes AiffWithCompressionTypeBytes(std::string_view type, const Bytes& samples)
{
  Chunk comm = CommChunk({false, 1, static_cast<uint32_t>(samples.size() / 2), 16, AiffRateBytes(44100)});
  PutId(comm.mBody, type);
  comm.mBody.insert(comm.mBody.end(), {0, 0});
  return MakeAiff(false, {comm, SsndChunk(samples)});
}

// 16-bit stereo frames (1, -1) and (32767, -32768) in either byte order, and what they decode to.
const std::vector<int64_t> kStereo16 = {1, -1, 32767, -32768};
const Channels kStereo16Values = {{1 / 32767.0, 1.0}, {-1 / 32767.0, -32768 / 32767.0}};
const std::vector<int64_t> kMono24 = {-8388608, 8388607, -2, 1};
const Channels kMono24Values = {{-8388608 / 8388607.0, 1.0, -2 / 8388607.0, 1 / 8388607.0}};
const std::vector<int64_t> kMono32 = {2147483647, -2147483648LL, 0x3FC00000, -1};
const Channels kMono32Values = {{1.0, -2147483648.0 / 2147483647.0, 0x3FC00000 / 2147483647.0, -1 / 2147483647.0}};
// The same four 32-bit samples as two stereo frames.
const Channels kStereo32Values = {{1.0, 0x3FC00000 / 2147483647.0}, {-2147483648.0 / 2147483647.0, -1 / 2147483647.0}};
const std::vector<float> kFloats = {1.5f,          -0.25f, 3.0e-7f, -1.0e30f, std::numeric_limits<float>::infinity(),
                                    FloatOfBits(1)};
Channels FloatValues(const std::vector<float>& floats) { return {std::vector<double>(floats.begin(), floats.end())}; }

// Six channels of two 32-bit float frames: sample k of channel c is c + k / 4.
Bytes SixChannelFloats(Channels& expected)
{
  std::vector<float> values;
  expected.assign(6, {});
  for (int k = 0; k < 2; ++k)
    for (int c = 0; c < 6; ++c)
    {
      values.push_back(static_cast<float>(c) + static_cast<float>(k) / 4);
      expected[c].push_back(values.back());
    }
  return EncodeFloats(values, le);
}

std::vector<EncoderCase> EncoderCases()
{
  const Bytes oneFloat = EncodeFloats({1.5f}, le);
  const Channels oneFloatAsInteger = {{0x3FC00000 / 2147483647.0}};
  Channels sixChannels;
  const Bytes sixChannelFrames = SixChannelFloats(sixChannels);
  return {
    // The extensible format: the float sub-format decodes at 32 bits as format code 3 does.
    {"ExtensibleFloat32", Extensible(1, 32, kWaveFloat, EncodeFloats(kFloats, le)), "", FloatValues(kFloats), 44100,
     32},
    {"ExtensibleFloat32SixChannels", Extensible(6, 32, kWaveFloat, sixChannelFrames), "", sixChannels, 44100, 32},
    {"ExtensiblePcm32IsInteger", Extensible(1, 32, kWavePcm, EncodeInts(kMono32, 4, le)), "", kMono32Values, 44100, 32},
    {"ExtensibleFloat24IsIntegerAsCode3Is", Extensible(1, 24, kWaveFloat, EncodeInts(kMono24, 3, le)), "",
     kMono24Values, 44100, 24},
    {"ExtensibleFloat16IsIntegerAsCode3Is", Extensible(2, 16, kWaveFloat, EncodeInts(kStereo16, 2, le)), "",
     kStereo16Values, 44100, 16},
    {"ExtensibleFloat8IsUnsignedAsCode3Is",
     Extensible(1, 8, kWaveFloat, {0x80, 0xFF, 0x00}),
     "",
     {{0.0, 1.0, -128 / 127.0}},
     44100,
     8},
    {"ExtensibleFloat64KeepsTheBitDepthMessage",
     Extensible(1, 64, kWaveFloat, Bytes(16, 0)),
     kBadBitDepth,
     {},
     44100,
     64},
    // A sub-format that is not the standard float GUID, or that the format chunk does not hold,
    // leaves the samples integers.
    {"ExtensionSizeBelow22", ExtensibleFloatWith([](Chunk& fmt) { fmt.mBody[16] = 21; }, oneFloat), "",
     oneFloatAsInteger, 44100, 32},
    {"ExtensionPastTheChunkSize", ExtensibleFloatWith([](Chunk& fmt) { fmt.mSizeField = 39; }, oneFloat), "",
     oneFloatAsInteger, 44100, 32},
    {"FloatCodeOfAnotherGuidFamily",
     ExtensibleFloatWith(
       [](Chunk& fmt) {
         fmt.mBody[28] = 0x21;
         fmt.mBody[29] = 0x07;
       },
       oneFloat),
     "", oneFloatAsInteger, 44100, 32},
    // A standard sub-format that is neither PCM nor float is refused as its format code would be.
    {"ExtensibleALaw", Extensible(1, 8, 6, {0xD5, 0x55}), kBadFormat, {}, 44100, 8},
    {"ExtensibleMuLaw", Extensible(2, 8, 7, {0xFF, 0x7F}), kBadFormat, {}, 44100, 8},
    {"ExtensibleAdpcm", Extensible(1, 16, 2, Bytes(4, 0)), kBadFormat, {}, 44100, 16},
    {"ExtensibleALawBits72KeepsTheSampleTypeMessage",
     Extensible(1, 72, 6, Bytes(18, 0)),
     SampleTypeMessage("72"),
     {},
     44100,
     72},

    // AIFC: "NONE" and "twos" are big-endian integers, "sowt" little-endian integers.
    {"AifcNone16Stereo", MakeAifc("NONE", 2, 16, EncodeInts(kStereo16, 2, be)), "", kStereo16Values, 44100, 16},
    {"AifcNone32IsInteger", MakeAifc("NONE", 1, 32, EncodeInts(kMono32, 4, be)), "", kMono32Values, 44100, 32},
    {"AifcNone8IsSigned", MakeAifc("NONE", 1, 8, {0x80, 0x7F, 0xFF}), "", {{-128 / 127.0, 1.0, -1 / 127.0}}, 44100, 8},
    {"AifcTwos16Stereo", MakeAifc("twos", 2, 16, EncodeInts(kStereo16, 2, be)), "", kStereo16Values, 44100, 16},
    {"AifcTwos24", MakeAifc("twos", 1, 24, EncodeInts(kMono24, 3, be)), "", kMono24Values, 44100, 24},
    {"AifcTwos32", MakeAifc("twos", 1, 32, EncodeInts(kMono32, 4, be)), "", kMono32Values, 44100, 32},
    {"AifcSowt16Stereo", MakeAifc("sowt", 2, 16, EncodeInts(kStereo16, 2, le)), "", kStereo16Values, 44100, 16},
    {"AifcSowt24", MakeAifc("sowt", 1, 24, EncodeInts(kMono24, 3, le)), "", kMono24Values, 44100, 24},
    {"AifcSowt32", MakeAifc("sowt", 1, 32, EncodeInts(kMono32, 4, le)), "", kMono32Values, 44100, 32},
    {"AifcSowt8IsSigned", MakeAifc("sowt", 1, 8, {0x80, 0x7F, 0x01}), "", {{-128 / 127.0, 1.0, 1 / 127.0}}, 44100, 8},
    // "in24" and "in32" are big-endian integers of the width they name, "raw " unsigned 8-bit
    // samples around 128 as WAVE stores them.
    {"AifcIn24", MakeAifc("in24", 1, 24, EncodeInts(kMono24, 3, be)), "", kMono24Values, 44100, 24},
    {"AifcIn32Stereo", MakeAifc("in32", 2, 32, EncodeInts(kMono32, 4, be)), "", kStereo32Values, 44100, 32},
    {"AifcRawIsUnsignedStereo",
     MakeAifc("raw ", 2, 8, {0x80, 0xFF, 0x00, 0x7F, 0x81, 0x01}),
     "",
     {{0.0, -128 / 127.0, 1 / 127.0}, {1.0, -1 / 127.0, -1.0}},
     44100,
     8},
    // Floats only for "fl32" and "FL32" at 32 bits.
    {"AifcFl32", MakeAifc("fl32", 1, 32, EncodeFloats(kFloats, be)), "", FloatValues(kFloats), 44100, 32},
    {"AifcFL32", MakeAifc("FL32", 1, 32, EncodeFloats(kFloats, be)), "", FloatValues(kFloats), 44100, 32},
    {"AifcWithoutCompressionTypeIsInteger", AifcWithoutCompressionType(32, EncodeInts(kMono32, 4, be)), "",
     kMono32Values, 44100, 32},
    {"AiffDoesNotReadACompressionType",
     AiffWithCompressionTypeBytes("sowt", EncodeInts(kStereo16, 2, be)),
     "",
     {{1 / 32767.0, -1 / 32767.0, 1.0, -32768 / 32767.0}},
     44100,
     16},
    // Everything else is refused with one message, after the header tests that come before it.
    {"AifcFl32At16Bits", MakeAifc("fl32", 1, 16, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcFL32At24Bits", MakeAifc("FL32", 1, 24, Bytes(6, 0)), kAiffBadFormat, {}, 44100, 24},
    {"AifcFl64At32Bits", MakeAifc("fl64", 1, 32, Bytes(8, 0)), kAiffBadFormat, {}, 44100, 32},
    {"AifcFl64KeepsTheBitDepthMessage", MakeAifc("fl64", 1, 64, Bytes(16, 0)), kBadBitDepth, {}, 44100, 64},
    {"AifcFL64KeepsTheBitDepthMessage", MakeAifc("FL64", 2, 64, Bytes(32, 0)), kBadBitDepth, {}, 44100, 64},
    {"AifcUlaw", MakeAifc("ulaw", 1, 16, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcAlaw", MakeAifc("alaw", 2, 8, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 8},
    // Compressed frames do not fill what the depth says: the compression type is the reason given.
    {"AifcIma4",
     MakeAiff(true, {CommChunk({true, 1, 64, 16, AiffRateBytes(44100)}, "ima4"), SsndChunk(Bytes(34, 0))}),
     kAiffBadFormat,
     {},
     44100,
     16},
    // A type that names its width is refused at another depth, and "raw " at any depth but 8 bits.
    {"AifcIn24At16Bits", MakeAifc("in24", 1, 16, Bytes(6, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcIn24At32Bits", MakeAifc("in24", 2, 32, Bytes(8, 0)), kAiffBadFormat, {}, 44100, 32},
    {"AifcIn32At24Bits", MakeAifc("in32", 1, 24, Bytes(6, 0)), kAiffBadFormat, {}, 44100, 24},
    {"AifcIn32At8Bits", MakeAifc("in32", 1, 8, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 8},
    {"AifcRawAt16Bits", MakeAifc("raw ", 2, 16, Bytes(8, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcUpperCaseIn24", MakeAifc("IN24", 1, 24, Bytes(6, 0)), kAiffBadFormat, {}, 44100, 24},
    {"AifcLowerCaseNone", MakeAifc("none", 1, 16, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcUpperCaseSowt", MakeAifc("SOWT", 1, 16, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcZeroType", MakeAifc(std::string_view("\0\0\0\0", 4), 1, 16, Bytes(4, 0)), kAiffBadFormat, {}, 44100, 16},
    {"AifcUlawThreeChannelsKeepsTheChannelMessage",
     MakeAifc("ulaw", 3, 16, Bytes(12, 0)),
     kNotMonoStereo,
     {},
     44100,
     16},
    {"AifcUlawBits12KeepsTheBitDepthMessage", MakeAifc("ulaw", 1, 12, Bytes(2, 0)), kBadBitDepth, {}, 44100, 12},
  };
}

std::string EncoderName(const testing::TestParamInfo<EncoderCase>& info) { return info.param.mName; }
} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, EncoderFile, testing::ValuesIn(EncoderCases()), EncoderName);

// ---------------------------------------------------------------------------------------------
// AIFF sample-rate table

TEST(AiffRateTable, HoldsTheNineteenRatesWithTheirEncodings)
{
  const uint32_t rates[] = {8000,  11025, 16000, 22050, 32000,  37800,  44056,  44100,   47250,  48000,
                            50000, 50400, 88200, 96000, 176400, 192000, 352800, 2822400, 5644800};
  ASSERT_EQ(kAiffRateEncodings.size(), std::size(rates));
  for (size_t i = 0; i < std::size(rates); ++i)
  {
    EXPECT_EQ(kAiffRateEncodings[i].mSampleRate, rates[i]);
    EXPECT_EQ(kAiffRateEncodings[i].mBytes, AiffRateBytes(rates[i])) << rates[i];
    EXPECT_EQ(FindAiffSampleRate(AiffRateBytes(rates[i]).data()), rates[i]);
  }
  using B = std::array<uint8_t, 10>;
  EXPECT_EQ(kAiffRateEncodings[0].mBytes, (B{0x40, 0x0B, 0xFA, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(kAiffRateEncodings[7].mBytes, (B{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(kAiffRateEncodings[18].mBytes, (B{0x40, 0x15, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
}

TEST(AiffRateTable, EveryRateDecodes)
{
  for (const AiffRateEncoding& entry : kAiffRateEncodings)
  {
    SampleFileReader<double> reader;
    const LoadResult result = LoadBytes(reader, MakeAiff({false, 1, 0, 16, entry.mBytes}, EncodeInts({1}, 2, be)));
    EXPECT_TRUE(result.mOk) << entry.mSampleRate;
    EXPECT_EQ(reader.mSampleRate, entry.mSampleRate);
  }
}

// ---------------------------------------------------------------------------------------------
// iXML text

struct IXMLCase
{
  const char* mName;
  Bytes mFile;
  std::string mText;
};

void PrintTo(const IXMLCase& c, std::ostream* out) { *out << c.mName; }

class IXML : public testing::TestWithParam<IXMLCase>
{};

TEST_P(IXML, IsTakenFromInsideTheFileOnly)
{
  const IXMLCase& c = GetParam();
  SampleFileReader<double> reader = PreloadedReader();
  const LoadResult result = LoadBytes(reader, c.mFile);
  EXPECT_TRUE(result.mOk);
  EXPECT_EQ(result.mOutput, "");
  EXPECT_EQ(reader.mIXMLChunk, c.mText);
}

namespace
{
const std::string kWithNul("<A>\0<B/>", 8);

Bytes WaveWith(const std::vector<Chunk>& extra)
{
  std::vector<Chunk> chunks = {FmtChunk({}), DataChunk(EncodeInts({1}, 2, le))};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  return MakeWave(chunks);
}

Bytes AiffWith(const std::vector<Chunk>& extra)
{
  std::vector<Chunk> chunks = {CommChunk({false, 1, 1, 16, AiffRateBytes(44100)}), SsndChunk(EncodeInts({1}, 2, be))};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  return MakeAiff(false, chunks);
}

Bytes CutAfter(Bytes file, size_t drop)
{
  file.resize(file.size() - drop);
  return file;
}

std::vector<IXMLCase> IXMLCases()
{
  return {
    {"WaveText", WaveWith({TextChunk("iXML", kWithNul)}), kWithNul},
    {"WaveOddText", WaveWith({TextChunk("iXML", "<X/>5"), TextChunk("next", "")}), "<X/>5"},
    {"WaveNoChunkKeepsTheEarlierText", WaveWith({}), kPreviousIXML},
    {"WaveLengthPastTheEnd", WaveWith({TextChunk("iXML", "<ABC/>", 100u)}), "<ABC/>"},
    {"WaveNegativeLength", WaveWith({TextChunk("iXML", "<ABC/>", 0xFFFFFFF0u)}), ""},
    {"WaveSizeFieldCutOff", CutAfter(WaveWith({TextChunk("iXML", "")}), 2), ""},
    {"AiffText", AiffWith({TextChunk("iXML", kWithNul)}), kWithNul},
    {"AiffNoChunkKeepsTheEarlierText", AiffWith({}), kPreviousIXML},
    {"AiffLengthPastTheEnd", AiffWith({TextChunk("iXML", "<ABC/>", 7u)}), "<ABC/>"},
    {"AiffNegativeLength", AiffWith({TextChunk("iXML", "<ABC/>", 0x80000000u)}), ""},
  };
}

std::string IXMLName(const testing::TestParamInfo<IXMLCase>& info) { return info.param.mName; }
} // namespace

INSTANTIATE_TEST_SUITE_P(Cases, IXML, testing::ValuesIn(IXMLCases()), IXMLName);

// ---------------------------------------------------------------------------------------------
// Loading from disk

class LoadFile : public testing::Test
{
protected:
  void SetUp() override
  {
    std::random_device random;
    mFolder = std::filesystem::temp_directory_path() / ("krb-samples-test-" + std::to_string(random()));
    std::filesystem::create_directories(mFolder);
  }

  void TearDown() override
  {
    std::error_code error;
    std::filesystem::remove_all(mFolder, error);
  }

  // The UTF-8 path of a file in the test folder holding bytes.
  std::string Write(const std::string& utf8Name, const Bytes& bytes)
  {
    const std::filesystem::path path = mFolder / std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Utf8(path);
  }

  static std::string Utf8(const std::filesystem::path& path)
  {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }

  LoadResult Load(SampleFileReader<double>& reader, const std::string& path)
  {
    bool ok = false;
    const std::string output = Printed([&] { ok = reader.Load(path); });
    return {ok, output};
  }

  std::filesystem::path mFolder;
};

TEST_F(LoadFile, DecodesAFile)
{
  const std::string path = Write("kick.wav", MakeWave({kWavePcm, 2, 44100, 16}, EncodeInts({1, -1}, 2, le)));
  SampleFileReader<double> reader;
  const LoadResult result = Load(reader, path);
  EXPECT_TRUE(result.mOk);
  EXPECT_EQ(result.mOutput, "");
  EXPECT_EQ(reader.mSamples, (Channels{{1 / 32767.0}, {-1 / 32767.0}}));
}

TEST_F(LoadFile, OpensNamesInAnyLanguage)
{
  const std::string names[] = {"Grosse Trommel \xC3\xBC\xC3\x9F.wav",                          // German
                               "\xE3\x83\x89\xE3\x83\xA9\xE3\x83\xA0.aiff",                    // Japanese
                               "\xD0\xB1\xD0\xB0\xD1\x80\xD0\xB0\xD0\xB1\xD0\xB0\xD0\xBD.wav", // Russian
                               "\xF0\x9F\xA5\x81 snare.wav"};                                  // outside the BMP
  for (const std::string& name : names)
  {
    const bool aiff = name.ends_with(".aiff");
    const Bytes file = aiff ? MakeAiff({false, 1, 0, 16, AiffRateBytes(48000)}, EncodeInts({3}, 2, be))
                            : MakeWave({kWavePcm, 1, 48000, 16}, EncodeInts({3}, 2, le));
    const std::string path = Write(name, file);
    SampleFileReader<double> reader;
    const LoadResult result = Load(reader, path);
    EXPECT_TRUE(result.mOk) << name;
    EXPECT_EQ(result.mOutput, "");
    EXPECT_EQ(reader.mSamples, (Channels{{3 / 32767.0}}));
  }
}

TEST_F(LoadFile, RefusesWhatItCannotReadAndChangesNothing)
{
  struct Case
  {
    std::string mPath;
    std::string mMessage;
  };
  const Bytes header = Header();
  const Case cases[] = {
    {Utf8(mFolder / "missing.wav"), "ERROR: File doesn't exist or otherwise can't load file\n"},
    {Utf8(mFolder), "ERROR: File doesn't exist or otherwise can't load file\n"},
    {Write("empty.wav", {}), "ERROR: File is not a valid audio file\n"},
    {Write("eleven.wav", Bytes(header.begin(), header.begin() + 11)), "ERROR: File is not a valid audio file\n"},
  };
  for (const Case& c : cases)
  {
    SampleFileReader<double> reader = PreloadedReader();
    const LoadResult result = Load(reader, c.mPath);
    EXPECT_FALSE(result.mOk);
    EXPECT_EQ(result.mOutput, c.mMessage + c.mPath + "\n");
    EXPECT_EQ(StateOf(reader), PreviousState(kWave));
  }
}

TEST_F(LoadFile, TwelveByteFileReachesTheDecoder)
{
  SampleFileReader<double> reader;
  EXPECT_EQ(Load(reader, Write("header.wav", Header())).mOutput, Line(kNotWave));
  EXPECT_EQ(reader.mFileFormat, kWave);
}

// ---------------------------------------------------------------------------------------------
// Seed corpus of the fuzz target

TEST(SeedCorpus, MatchesTheWriterAndDecodesOrIsRefused)
{
  for (const auto& [name, bytes, decodes] : SeedCorpusFiles())
  {
    const std::filesystem::path path = std::filesystem::path(KRB_SAMPLES_CORPUS_DIR) / name;
    std::ifstream in(path, std::ios::binary);
    const Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(stored, bytes) << name << " differs: run samples_make_corpus " << KRB_SAMPLES_CORPUS_DIR;
    SampleFileReader<double> reader;
    EXPECT_EQ(LoadBytes(reader, bytes).mOk, decodes) << name;
  }
}
