#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "Krellbinder.h"
#include "PluginPtr.h"
#include "TempFolder.h"
#include "WavFiles.h"

using namespace krbtest;
namespace fs = std::filesystem;

namespace
{
constexpr int kDefaultChunkSize = 295628;
constexpr size_t kRecordsOffset = 294956;
static_assert(ChunkBuilder::kFixedPartBytes == kRecordsOffset, "the other tests find the records where this one does");
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

IByteChunk Save(const Krellbinder& plug)
{
  IByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(chunk));
  return chunk;
}

IByteChunk ChunkOf(const std::vector<uint8_t>& bytes)
{
  IByteChunk chunk;
  chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

std::vector<uint8_t> BytesOf(const IByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size());
}

// Everything that a restore may change and the chunk does not hold: gains, play lengths, parameters.
struct Snapshot
{
  std::vector<uint8_t> chunk;
  std::vector<double> values;

  explicit Snapshot(const Krellbinder& plug)
    : chunk(BytesOf(Save(plug)))
  {
    for (const SampleSlot& slot : plug.mSlots)
    {
      values.push_back(slot.mGainLeft.load());
      values.push_back(slot.mGainRight.load());
      values.push_back(slot.mPlayLength.load());
      values.push_back(slot.mPosition.load());
    }
    for (int i = 0; i < kNumParams; ++i)
      values.push_back(plug.GetParam(i)->Value());
  }
  bool operator==(const Snapshot& other) const { return chunk == other.chunk && values == other.values; }
};

// A plug-in with something in every part of the state.
class StateTest : public testing::Test
{
protected:
  PluginPtr mPlug = MakeInitializedPlugin();
  Krellbinder& plug = *mPlug;
  TempFolder mFolder;

  void Fill()
  {
    WritePcm16Wav(mFolder / "stereo.wav", {std::vector<double>(1000, 0.25), std::vector<double>(1000, -0.5)});
    WriteConstantWav(mFolder / "mono.wav", 44101, 0.75);
    plug.mSlots[0].LoadFile(U16(mFolder / "stereo.wav"));
    plug.mSlots[5].LoadFile(U16(mFolder / "mono.wav"));
    plug.mSequencer.SetStep(0, 0, 0, true);
    plug.mSequencer.SetStep(11, 23, 127, true);
    plug.mDisplayedStep = 9;
    plug.mSelectedDrum = 5;
    plug.mMode = kModeMidi;
    plug.mOctave = 1;
    plug.mPattern = 7;
    plug.GetParam(kMasterVolume)->Set(0.6);
    plug.OnParamChange(kMasterVolume);
    plug.GetParam(kMasterSwing)->Set(0.3);
    plug.OnParamChange(kMasterSwing);
    const std::vector<std::pair<int, double>> params = {{kPanKnob + 5, 0.25},
                                                        {kVolumeKnob + 5, 2.0},
                                                        {kPitchKnob + 5, -7},
                                                        {kSwingButton + 5, 1.0},
                                                        {kLengthKnob + 5, 0.5}};
    for (const auto& [index, value] : params)
    {
      plug.GetParam(index)->Set(value);
      plug.OnParamChange(index);
    }
    plug.mSlots[3].mChannelState = kChannelMuted;
  }
};
} // namespace

TEST_F(StateTest, NewInstanceGivesTheDefaultChunk)
{
  const IByteChunk chunk = Save(plug);
  ASSERT_EQ(chunk.Size(), kDefaultChunkSize);
  const uint8_t* d = chunk.GetData();
  EXPECT_EQ(DoubleAt(d, 0), 3.0);
  for (size_t offset = 8; offset < 294920; offset += 8)
    ASSERT_EQ(DoubleAt(d, offset), 0.0) << offset;
  for (size_t offset = 294920; offset < 294940; offset += 4)
    EXPECT_EQ(IntAt(d, offset), 0);
  EXPECT_EQ(DoubleAt(d, 294940), 1.0); // master volume after the parameter reset
  EXPECT_EQ(DoubleAt(d, 294948), 0.0);
  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    const size_t r = kRecordsOffset + 56 * static_cast<size_t>(ch);
    EXPECT_EQ(DoubleAt(d, r), 0.0);      // empty path
    EXPECT_EQ(DoubleAt(d, r + 8), 0.0);  // N
    EXPECT_EQ(IntAt(d, r + 16), 0);      // state
    EXPECT_EQ(DoubleAt(d, r + 20), 0.5); // pan
    EXPECT_EQ(DoubleAt(d, r + 28), 1.0); // volume
    EXPECT_EQ(IntAt(d, r + 36), 0);      // pitch
    EXPECT_EQ(DoubleAt(d, r + 40), 0.0); // swing
    EXPECT_EQ(DoubleAt(d, r + 48), 1.0); // length
  }
  EXPECT_EQ(plug.UnserializeState(chunk, 0), kDefaultChunkSize);
}

TEST_F(StateTest, StepsPathsAndSamplesSitAtTheirOffsets)
{
  plug.mSequencer.SetStep(2, 13, 5, true);
  const fs::path file = mFolder / "k.wav";
  std::vector<double> left(1000), right(1000);
  for (int i = 0; i < 1000; ++i)
  {
    left[static_cast<size_t>(i)] = (i % 200) / 256.0;
    right[static_cast<size_t>(i)] = -(i % 100) / 128.0;
  }
  WritePcm16Wav(file, {left, right});
  plug.mSlots[0].LoadFile(U16(file));
  // The same sample under a Windows path, as a restore leaves it when that file is not there.
  std::unique_ptr<double[]> samples(new double[2000]);
  std::copy_n(plug.mSlots[0].Buffer(), 2000, samples.get());
  plug.mSlots[0].RestoreSample(u"C:\\k.wav", std::move(samples), 2000, 2);

  testing::internal::CaptureStderr();
  const IByteChunk chunk = Save(plug);
  const std::string trace = testing::internal::GetCapturedStderr();

  const uint8_t* d = chunk.GetData();
  EXPECT_EQ(DoubleAt(d, 62512), 1.0);
  size_t ones = 0;
  for (size_t offset = 8; offset < 294920; offset += 8)
    ones += DoubleAt(d, offset) != 0.0;
  EXPECT_EQ(ones, 1u);

  const double path[] = {67.0, 58.0, 92.0, 107.0, 46.0, 119.0, 97.0, 118.0, 0.0};
  for (size_t i = 0; i < 9; ++i)
    EXPECT_EQ(DoubleAt(d, kRecordsOffset + 8 * i), path[i]);
  const size_t n = kRecordsOffset + 72;
  EXPECT_EQ(DoubleAt(d, n), 2000.0);
  EXPECT_EQ(DoubleAt(d, n + 8), 2.0);
  ASSERT_EQ(plug.mSlots[0].Size(), 2000u);
  EXPECT_EQ(std::memcmp(d + n + 16, plug.mSlots[0].Buffer(), 2000 * 8), 0);
  // Interleaved: left then right of each frame.
  EXPECT_EQ(DoubleAt(d, n + 16 + 8 * 2), plug.mSlots[0].mReader.mSamples[0][1]);
  EXPECT_EQ(DoubleAt(d, n + 16 + 8 * 3), plug.mSlots[0].mReader.mSamples[1][1]);
  // The record: 56 + 8 x 9 + 8 x 2000 bytes, then the eleven empty records.
  EXPECT_EQ(chunk.Size(), kDefaultChunkSize - 56 + 56 + 8 * 9 + 8 * 2000);

  EXPECT_NE(trace.find("Nr of samples C:\\k.wav is 2000.000000\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Nr of samples  is 0.000000\n"), std::string::npos) << trace;
}

TEST_F(StateTest, RoundTripGivesBackEveryStoredField)
{
  Fill();
  const IByteChunk chunk = Save(plug);

  PluginPtr restored = MakeInitializedPlugin();
  ASSERT_EQ(restored->UnserializeState(chunk, 0), chunk.Size());
  EXPECT_TRUE(BytesOf(Save(*restored)) == BytesOf(chunk));

  EXPECT_EQ(restored->mSelectedDrum.load(), 5);
  EXPECT_EQ(restored->mMode.load(), kModeMidi);
  EXPECT_TRUE(restored->mSequencer.GetStep(11, 23, 127));
  EXPECT_DOUBLE_EQ(restored->GetParam(kMasterVolume)->Value(), 0.6);
  const SampleSlot& stereo = restored->mSlots[0];
  EXPECT_EQ(stereo.NumChannels(), 2);
  EXPECT_EQ(stereo.Size(), 2000u);
  EXPECT_EQ(stereo.mPlayLength.load(), 1000u);
  const SampleSlot& mono = restored->mSlots[5];
  EXPECT_EQ(mono.Size(), 44101u);
  EXPECT_EQ(mono.mPlayLength.load(), 22050u); // trunc(float(44101) x 0.5)
  EXPECT_EQ(mono.mPitch.load(), -7);
  EXPECT_TRUE(mono.mSwing.load());
  EXPECT_EQ(restored->GetParam(kPitchKnob + 5)->Value(), -7.0);
  EXPECT_EQ(restored->GetParam(kLengthKnob + 5)->Value(), 0.5);
  // The gains follow the restored pan and volume.
  EXPECT_DOUBLE_EQ(mono.mGainLeft.load(), 2.0);
  EXPECT_DOUBLE_EQ(mono.mGainRight.load(), 1.0);
  EXPECT_EQ(restored->mSlots[3].mChannelState.load(), kChannelMuted);
  // Every channel with sample data is idle after a restore.
  EXPECT_GE(mono.mPosition.load(), mono.mPlayLength.load());
}

TEST_F(StateTest, HigherVersionIsNotReadPastItsVersion)
{
  Fill();
  const Snapshot before(plug);
  ChunkBuilder chunk;
  chunk.Double(-1.0).Double(-2.0); // a prefix of 16 bytes: the chunk starts at 16
  chunk.FixedPart(3.5, {1.0, 1.0}, 3, 3, 3, 1, 3).EmptyRecords(12);
  EXPECT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 16), 24);
  EXPECT_TRUE(Snapshot(plug) == before);
}

TEST_F(StateTest, VersionTwoIsReadLikeVersionThree)
{
  ChunkBuilder chunk;
  chunk.FixedPart(2.0, {0.0, 1.0}, 4, 6, kModeRun, 1, 2).EmptyRecords(12);
  EXPECT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), kDefaultChunkSize);
  EXPECT_TRUE(plug.mSequencer.GetStep(0, 0, 1));
  EXPECT_EQ(plug.mDisplayedStep.load(), 4);
  EXPECT_EQ(plug.mSelectedDrum.load(), 6);
  EXPECT_EQ(plug.mMode.load(), kModeRun);
  EXPECT_EQ(plug.mOctave.load(), 1);
  EXPECT_EQ(plug.mPattern.load(), 2);
}

TEST_F(StateTest, StoredValuesThatOnlyHalfMatchFollowTheirOwnTests)
{
  ChunkBuilder chunk;
  chunk.FixedPart(3.0, {0.5, kNaN, 0.0});
  chunk.Record({u"", {}, 1.0, kChannelSoloed, 0.2, 1.5, 7, 0.5, 0.25});
  chunk.EmptyRecords(11);
  ASSERT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), kDefaultChunkSize);
  EXPECT_TRUE(plug.mSequencer.GetStep(0, 0, 0)); // a 0.5 step is set
  EXPECT_TRUE(plug.mSequencer.GetStep(0, 0, 1)); // so is a NaN
  EXPECT_FALSE(plug.mSequencer.GetStep(0, 0, 2));
  const SampleSlot& slot = plug.mSlots[0];
  EXPECT_FALSE(slot.mSwing.load()); // a 0.5 swing is off
  EXPECT_EQ(plug.GetParam(kSwingButton)->Value(), 0.0);
  EXPECT_EQ(slot.mPitch.load(), 7);
  EXPECT_EQ(plug.GetParam(kPitchKnob)->Value(), 7.0);
  EXPECT_EQ(slot.mPan.load(), 0.2);
  EXPECT_EQ(plug.GetParam(kPanKnob)->Value(), 0.2);
  EXPECT_EQ(slot.mVolume.load(), 1.5);
  EXPECT_DOUBLE_EQ(slot.mGainLeft.load(), 1.5);
  EXPECT_DOUBLE_EQ(slot.mGainRight.load(), 2 * 0.2 * 1.5);
  EXPECT_EQ(slot.mChannelState.load(), kChannelSoloed);
  EXPECT_EQ(slot.mLengthFraction.load(), 0.25);
}

TEST_F(StateTest, StoredSamplesReplaceTheFileEvenWhenItChangedOrWentAway)
{
  struct Case
  {
    const char* name;
    int framesOnDiskAtRestore; // -1: the file is gone
  };
  const Case cases[] = {{"unchanged", 1000}, {"longer", 3000}, {"shorter", 10}, {"gone", -1}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const fs::path file = mFolder / "kick.wav";
    WriteConstantWav(file, 1000, 0.5);
    PluginPtr saved = MakeInitializedPlugin();
    saved->mSlots[0].LoadFile(U16(file));
    saved->GetParam(kLengthKnob)->Set(0.5);
    saved->OnParamChange(kLengthKnob);
    const IByteChunk chunk = Save(*saved);

    if (c.framesOnDiskAtRestore < 0)
      fs::remove(file);
    else
      WriteConstantWav(file, static_cast<uint32_t>(c.framesOnDiskAtRestore), -0.5);
    PluginPtr restored = MakeInitializedPlugin();
    ASSERT_EQ(restored->UnserializeState(chunk, 0), chunk.Size());
    const SampleSlot& slot = restored->mSlots[0];
    EXPECT_EQ(slot.Path(), U16(file));
    ASSERT_EQ(slot.Size(), 1000u);
    EXPECT_EQ(slot.Buffer()[999], saved->mSlots[0].Buffer()[999]);
    EXPECT_EQ(slot.mPlayLength.load(), 500u);
  }
}

TEST_F(StateTest, ChannelSavedWithoutSampleIsRestoredEmpty)
{
  Fill();
  ChunkBuilder chunk;
  chunk.FixedPart().EmptyRecords(12);
  ASSERT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), kDefaultChunkSize);
  for (const SampleSlot& slot : plug.mSlots)
  {
    EXPECT_TRUE(slot.Path().empty());
    EXPECT_EQ(slot.Size(), 0u);
    EXPECT_EQ(slot.mPlayLength.load(), 0u);
  }
  // What it saves now is the default chunk.
  EXPECT_EQ(Save(plug).Size(), kDefaultChunkSize);
}

// A NaN or an infinity plays as 0; a value beyond the slot's bound (so large that the gains could take
// it past the largest 32-bit float) is brought to the bound with its sign; every other value, beyond
// ±1 too, keeps its own.
TEST_F(StateTest, SampleValuesAreBoundedAsTheyEnterASlot)
{
  // Through a restore...
  ChunkBuilder chunk;
  chunk.FixedPart();
  chunk.Record({u"", {0.5, kNaN, kInf, -kInf, -0.25, 1e300, -1e300, 7.5, 1e36, -3e37}, 2.0});
  chunk.EmptyRecords(11);
  ASSERT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), static_cast<int>(chunk.Size()));
  const double* restored = plug.mSlots[0].Buffer();
  ASSERT_EQ(plug.mSlots[0].Size(), 10u);
  const double expected[] = {0.5, 0.0, 0.0, 0.0, -0.25, 1e36, -1e36, 7.5, 1e36, -1e36};
  for (size_t i = 0; i < 10; ++i)
    EXPECT_EQ(restored[i], expected[i]) << i;

  // ... and through a load of a float file.
  const fs::path file = mFolder / "float.wav";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  WriteFloatWav(file, {{0.5f, nan, inf, -inf, -0.25f, 3.0e38f, -12.5f}});
  plug.mSlots[1].LoadFile(U16(file));
  ASSERT_EQ(plug.mSlots[1].Size(), 7u);
  const double* loaded = plug.mSlots[1].Buffer();
  const double expectedLoad[] = {0.5, 0.0, 0.0, 0.0, -0.25, 1e36, -12.5};
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(loaded[i], expectedLoad[i]) << i;
}

TEST_F(StateTest, OutOfRangeValuesAreBroughtIntoRange)
{
  ChunkBuilder chunk;
  chunk.FixedPart(3.0, {}, 16, 12, 7, 2, 99, kNaN, kInf);
  chunk.Record({u"", {}, 1.0, 9, kNaN, -kInf, 20, 1.0, 2.0});
  chunk.Record({u"", {}, 1.0, -1, kInf, kNaN, -99, 0.0, kNaN});
  chunk.Record({u"", {}, 1.0, 0, -3.0, 5.0, 0, 0.0, -1.0});
  chunk.EmptyRecords(9);
  ASSERT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), kDefaultChunkSize);
  EXPECT_EQ(plug.mDisplayedStep.load(), 15);
  EXPECT_EQ(plug.mSelectedDrum.load(), 11);
  EXPECT_EQ(plug.mMode.load(), kModeStop);
  EXPECT_EQ(plug.mOctave.load(), 1);
  EXPECT_EQ(plug.mPattern.load(), 11);
  EXPECT_EQ(plug.mMasterVolume.load(), 1.0); // NaN: the default
  EXPECT_EQ(plug.mMasterSwing.load(), 1.0);  // infinity: the end of the range

  struct Expected
  {
    int32_t state;
    double pan, volume;
    int32_t pitch;
    double length;
  };
  const Expected expected[] = {{0, 0.5, 0.0, 12, 1.0}, {0, 1.0, 1.0, -12, 1.0}, {0, 0.0, 2.0, 0, 0.0}};
  for (int ch = 0; ch < 3; ++ch)
  {
    SCOPED_TRACE(ch);
    const SampleSlot& slot = plug.mSlots[static_cast<size_t>(ch)];
    const Expected& e = expected[ch];
    EXPECT_EQ(slot.mChannelState.load(), e.state);
    EXPECT_EQ(slot.mPan.load(), e.pan);
    EXPECT_EQ(slot.mVolume.load(), e.volume);
    EXPECT_EQ(slot.mPitch.load(), e.pitch);
    EXPECT_EQ(slot.mLengthFraction.load(), e.length);
    EXPECT_EQ(plug.GetParam(kPanKnob + ch)->Value(), e.pan);
    EXPECT_EQ(plug.GetParam(kVolumeKnob + ch)->Value(), e.volume);
    EXPECT_TRUE(std::isfinite(slot.mGainLeft.load()) && std::isfinite(slot.mGainRight.load()));
  }
}

TEST_F(StateTest, NegativeCountMeansNoSampleData)
{
  ChunkBuilder chunk;
  chunk.FixedPart().Path(u"").Double(-5.0).RecordTail().EmptyRecords(11);
  EXPECT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), kDefaultChunkSize);
  EXPECT_EQ(plug.mSlots[0].Size(), 0u);
}

TEST_F(StateTest, DamagedChunksAreRejectedAndChangeNothing)
{
  Fill();
  const Snapshot before(plug);
  const std::vector<uint8_t> good = BytesOf(Save(plug));

  struct Case
  {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  for (size_t length : {size_t{0}, size_t{7}, size_t{8}, size_t{1000}, size_t{294920}, size_t{294939}, size_t{294956},
                        size_t{295000}, good.size() / 2, good.size() - 1})
    cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(length))});

  auto withFirstRecord = [](const std::function<void(ChunkBuilder&)>& record) {
    ChunkBuilder chunk;
    chunk.FixedPart();
    record(chunk);
    chunk.EmptyRecords(11);
    return chunk.Bytes();
  };
  {
    ChunkBuilder chunk;
    chunk.Double(kNaN);
    chunk.Raw(good.data() + 8, good.size() - 8);
    cases.push_back({"version NaN", chunk.Bytes()});
  }
  cases.push_back({"N not whole", withFirstRecord([](ChunkBuilder& c) {
                     c.Path(u"").Double(2.5).Double(1.0).Double(0.1).Double(0.2).Double(0.3).RecordTail();
                   })});
  cases.push_back({"N NaN", withFirstRecord([](ChunkBuilder& c) { c.Path(u"").Double(kNaN).RecordTail(); })});
  cases.push_back({"N infinite", withFirstRecord([](ChunkBuilder& c) { c.Path(u"").Double(kInf).RecordTail(); })});
  cases.push_back({"N beyond the chunk", withFirstRecord([](ChunkBuilder& c) {
                     c.Path(u"").Double(1e12).Double(1.0).Double(0.5).RecordTail();
                   })});
  cases.push_back({"N beyond 32 bits", withFirstRecord([](ChunkBuilder& c) {
                     c.Path(u"").Double(4294967296.0).Double(1.0).Double(0.5).RecordTail();
                   })});
  for (double channels : {0.0, 3.0, -1.0, kNaN, 0.5})
    cases.push_back({"channel count", withFirstRecord([channels](ChunkBuilder& c) {
                       c.Path(u"").Double(2.0).Double(channels).Double(0.1).Double(0.2).RecordTail();
                     })});
  cases.push_back({"stereo with half a frame", withFirstRecord([](ChunkBuilder& c) {
                     c.Path(u"").Double(3.0).Double(2.0).Double(0.1).Double(0.2).Double(0.3).RecordTail();
                   })});
  cases.push_back({"path unit NaN", withFirstRecord([](ChunkBuilder& c) {
                     c.Double(65.0).Double(kNaN).Double(0.0).Double(0.0).RecordTail();
                   })});
  for (double unit : {0.5, -0.25, 65536.0})
    cases.push_back({"path unit 0 inside the path", withFirstRecord([unit](ChunkBuilder& c) {
                       c.Double(65.0).Double(unit).Double(66.0).Double(0.0).Double(0.0).RecordTail();
                     })});
  cases.push_back({"path unit beyond 32 bits",
                   withFirstRecord([](ChunkBuilder& c) { c.Double(1e10).Double(0.0).Double(0.0).RecordTail(); })});
  {
    ChunkBuilder chunk;
    chunk.FixedPart();
    for (int i = 0; i < 1000; ++i)
      chunk.Double(65.0); // a path that never ends
    cases.push_back({"endless path", chunk.Bytes()});
  }
  {
    ChunkBuilder chunk;
    chunk.FixedPart().EmptyRecords(11); // one record short
    cases.push_back({"missing record", chunk.Bytes()});
  }

  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.bytes.size()) + " bytes");
    EXPECT_EQ(plug.UnserializeState(ChunkOf(c.bytes), 0), -1);
    EXPECT_TRUE(Snapshot(plug) == before);
  }
  // A start position outside the chunk.
  EXPECT_EQ(plug.UnserializeState(ChunkOf(good), -8), -1);
  EXPECT_EQ(plug.UnserializeState(ChunkOf(good), static_cast<int>(good.size())), -1);
  EXPECT_TRUE(Snapshot(plug) == before);
}

TEST_F(StateTest, PathUnitsAreTheLowSixteenBitsOfTheWholePart)
{
  ChunkBuilder chunk;
  chunk.FixedPart().Double(65601.0).Double(66.9).Double(-65469.0).Double(0.0).Double(0.0).RecordTail().EmptyRecords(11);
  ASSERT_EQ(plug.UnserializeState(ChunkOf(chunk.Bytes()), 0), static_cast<int>(chunk.Size()));
  EXPECT_EQ(plug.mSlots[0].Path(), u"ABC");
}

TEST_F(StateTest, RestoreTracesEveryChannelBeforeItsReload)
{
  ChunkBuilder chunk;
  chunk.FixedPart();
  ChunkBuilder::Channel stereo;
  stereo.path = u"C:\\k.wav";
  stereo.samples.assign(2000, 0.125);
  stereo.numChannels = 2.0;
  chunk.Record(stereo);
  chunk.Path(u"").Double(-5.0).RecordTail();
  chunk.EmptyRecords(10);

  testing::internal::CaptureStderr();
  const int end = plug.UnserializeState(ChunkOf(chunk.Bytes()), 0);
  const std::string trace = testing::internal::GetCapturedStderr();

  ASSERT_EQ(end, static_cast<int>(chunk.Size()));
  const std::string expectedStart = "Nr of samples C:\\k.wav is 2000.000000\n"
                                    "File not found or couldn't be read 'C:\\k.wav' Using current buffer instead\n"
                                    "mSize is '0'\n"
                                    "Nr of samples  is -5.000000\n";
  EXPECT_EQ(trace.substr(0, expectedStart.size()), expectedStart);
  size_t lines = 0;
  for (char c : trace)
    lines += c == '\n';
  EXPECT_EQ(lines, 14u); // twelve trace lines and the failed reload's two
  // The stored samples fill the channel although its file could not be read.
  EXPECT_EQ(plug.mSlots[0].Size(), 2000u);
  EXPECT_EQ(plug.mSlots[0].mPlayLength.load(), 1000u);
}
