// Driving process: sample sizes, offsets of events and parameter changes, silence flags, block
// sizes, parameter flushes, another thread, and the process context.

#include "HostProcessing.h"
#include "HostTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace Steinberg;

namespace krb::host
{
namespace
{

constexpr int32 kMaxBlock = 512;

class ProcessTest : public ::testing::Test
{
protected:
  // Sets up processing and starts it, with the given buses active.
  void Start(int32 sampleSize = Vst::kSample32, EBusSelection buses = EBusSelection::kDefault)
  {
    mPlugin = test::OpenFixture();
    ASSERT_TRUE(mPlugin);
    ASSERT_EQ(mPlugin->ActivateBuses(buses), kResultOk);
    mProcessing = std::make_unique<HostProcessing>(*mPlugin);
    ASSERT_EQ(mProcessing->Setup(44100, kMaxBlock, sampleSize), kResultOk);
    ASSERT_EQ(mPlugin->SetActive(true), kResultOk);
    ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk);
  }

  // Frames of bus 0 channel c that are not zero.
  std::vector<int32> NonZeroFrames(int32 frames, int32 channel = 0) const
  {
    std::vector<int32> found;
    for (int32 f = 0; f < frames; ++f)
      if (mProcessing->OutputSample(0, channel, f) != 0.0)
        found.push_back(f);
    return found;
  }

  std::unique_ptr<HostPlugin> mPlugin;
  std::unique_ptr<HostProcessing> mProcessing;
};

TEST_F(ProcessTest, NoteLandsAtItsOffsetInEitherSampleSize)
{
  for (int32 size : {Vst::kSample32, Vst::kSample64})
  {
    SCOPED_TRACE(size == Vst::kSample32 ? "32-bit" : "64-bit");
    Start(size);
    mProcessing->InputEvents().AddNoteOn(100, 36, 0.5f);
    ASSERT_EQ(mProcessing->Process(kMaxBlock), kResultOk);
    EXPECT_EQ(NonZeroFrames(kMaxBlock), std::vector<int32>{100});
    EXPECT_EQ(NonZeroFrames(kMaxBlock, 1), std::vector<int32>{100});
    EXPECT_DOUBLE_EQ(mProcessing->OutputSample(0, 0, 100), 0.25) << "velocity 0.5 x default gain 0.5";
    EXPECT_EQ(mProcessing->Output32(0, 0) != nullptr, size == Vst::kSample32);
    EXPECT_EQ(mProcessing->Output64(0, 0) != nullptr, size == Vst::kSample64);
    EXPECT_EQ(mProcessing->OutputSilenceFlags(0), 0u);
    EXPECT_EQ(mProcessing->OutputSilenceFlags(1), 3u) << "the inactive aux bus is silent";

    // Inputs are cleared after each block, and a silent block says so.
    ASSERT_EQ(mProcessing->Process(kMaxBlock), kResultOk);
    EXPECT_TRUE(NonZeroFrames(kMaxBlock).empty());
    EXPECT_EQ(mProcessing->OutputSilenceFlags(0), 3u);
    mPlugin.reset();
  }
}

TEST_F(ProcessTest, ParameterChangeTakesEffectFromItsOffset)
{
  Start();
  mProcessing->InputChanges().AddChange(test::kGainId, 200, 1.0);
  mProcessing->InputEvents().AddNoteOn(100, 36, 1.0f);
  mProcessing->InputEvents().AddNoteOn(300, 37, 1.0f);
  ASSERT_EQ(mProcessing->Process(kMaxBlock), kResultOk);
  EXPECT_DOUBLE_EQ(mProcessing->OutputSample(0, 0, 100), 0.5);
  EXPECT_DOUBLE_EQ(mProcessing->OutputSample(0, 0, 300), 1.0);
  // The plug-in's output change reaches the host.
  Vst::ParamValue peak = 0;
  ASSERT_TRUE(mProcessing->OutputChanges().LastValue(test::kPeakId, peak));
  EXPECT_DOUBLE_EQ(peak, 1.0);
}

TEST_F(ProcessTest, BypassSilencesTheMainBus)
{
  Start();
  mProcessing->InputChanges().AddChange(test::kBypassId, 0, 1.0);
  mProcessing->InputEvents().AddNoteOn(10, 36, 1.0f);
  ASSERT_EQ(mProcessing->Process(64), kResultOk);
  EXPECT_TRUE(NonZeroFrames(64).empty());
}

TEST_F(ProcessTest, AcceptsVariableBlockSizesUpToTheMaximum)
{
  Start();
  const int32 kSizes[] = {1, 7, kMaxBlock, 333, 64, kMaxBlock - 1};
  for (int32 size : kSizes)
  {
    SCOPED_TRACE(size);
    mProcessing->InputEvents().AddNoteOn(size - 1, 36, 1.0f);
    ASSERT_EQ(mProcessing->Process(size), kResultOk);
    EXPECT_EQ(NonZeroFrames(size), std::vector<int32>{size - 1});
  }
  EXPECT_EQ(mProcessing->Process(kMaxBlock + 1), kInvalidArgument) << "over the maximum given to setupProcessing";
  EXPECT_EQ(mProcessing->BlocksProcessed(), static_cast<int64>(std::size(kSizes)));
}

TEST_F(ProcessTest, FlushWithoutAudioDeliversParameterChanges)
{
  for (EFlushMode mode : {EFlushMode::kNoBuses, EFlushMode::kZeroChannels})
  {
    Start();
    mProcessing->InputChanges().AddChange(test::kGainId, 0, 0.2);
    ASSERT_EQ(mProcessing->Flush(mode), kResultOk);
    EXPECT_EQ(mProcessing->Data().numSamples, 0);
    if (mode == EFlushMode::kNoBuses)
      EXPECT_EQ(mProcessing->Data().outputs, nullptr);
    else
      EXPECT_EQ(mProcessing->Data().outputs[0].numChannels, 0);

    mProcessing->InputEvents().AddNoteOn(0, 36, 1.0f);
    ASSERT_EQ(mProcessing->Process(16), kResultOk);
    EXPECT_NEAR(mProcessing->OutputSample(0, 0, 0), 0.2, 1e-6);
    mPlugin.reset();
  }
}

TEST_F(ProcessTest, ProcessesOnAnotherThreadThanSetup)
{
  Start();
  tresult result = kInternalError;
  double sample = 0;
  std::thread audio([&] {
    mProcessing->InputEvents().AddNoteOn(3, 36, 1.0f);
    result = mProcessing->Process(kMaxBlock);
    sample = mProcessing->OutputSample(0, 0, 3);
  });
  audio.join();
  EXPECT_EQ(result, kResultOk);
  EXPECT_DOUBLE_EQ(sample, 0.5);
}

TEST_F(ProcessTest, EveryOutputSampleIsWritten)
{
  Start(Vst::kSample32, EBusSelection::kAll);
  mProcessing->SetOutputFill(7.0);
  ASSERT_EQ(mProcessing->Process(kMaxBlock), kResultOk);
  for (int32 bus = 0; bus < mProcessing->NumOutputBuses(); ++bus)
    for (int32 c = 0; c < mProcessing->OutputChannels(bus); ++c)
      for (int32 f = 0; f < kMaxBlock; ++f)
        ASSERT_NE(mProcessing->OutputSample(bus, c, f), 7.0) << "bus " << bus << " channel " << c;
}

TEST_F(ProcessTest, InactiveBusesCanGetNullBuffers)
{
  Start(); // the aux bus stays inactive
  mProcessing->SetInactiveBusBuffersNull(true);
  mProcessing->InputEvents().AddNoteOn(9, 36, 1.0f);
  ASSERT_EQ(mProcessing->Process(kMaxBlock), kResultOk);
  const Vst::ProcessData& data = mProcessing->Data();
  EXPECT_EQ(data.outputs[1].numChannels, 2);
  EXPECT_EQ(data.outputs[1].channelBuffers32[0], nullptr);
  EXPECT_EQ(data.outputs[1].channelBuffers32[1], nullptr);
  EXPECT_NE(data.outputs[0].channelBuffers32[0], nullptr);
  EXPECT_DOUBLE_EQ(mProcessing->OutputSample(0, 0, 9), 0.5);
}

TEST_F(ProcessTest, ContextCarriesTempoAndTransport)
{
  Start(Vst::kSample32, EBusSelection::kAll);
  struct ContextCase
  {
    double mTempo;
    bool mPlaying;
    bool mContext;
    double mAuxTempo;
    double mAuxPlaying;
  };
  const ContextCase kCases[] = {
    {140.0, true, true, 0.14, 1.0},
    {90.0, false, true, 0.09, 0.0},
    {120.0, true, false, 0.0, 0.0},
  };
  for (const ContextCase& c : kCases)
  {
    SCOPED_TRACE(c.mTempo);
    mProcessing->SetTempo(c.mTempo);
    mProcessing->SetPlaying(c.mPlaying);
    mProcessing->SetContextEnabled(c.mContext);
    ASSERT_EQ(mProcessing->Process(32), kResultOk);
    EXPECT_NEAR(mProcessing->OutputSample(1, 0, 31), c.mAuxTempo, 1e-6);
    EXPECT_EQ(mProcessing->OutputSample(1, 1, 31), c.mAuxPlaying);
  }
}

TEST_F(ProcessTest, TransportMovesOnlyWhilePlaying)
{
  Start();
  mProcessing->SetTempo(120.0);
  mProcessing->SetPlaying(true);
  ASSERT_EQ(mProcessing->Process(441), kResultOk);
  ASSERT_EQ(mProcessing->Process(441), kResultOk);
  Vst::ProcessContext& context = mProcessing->Context();
  EXPECT_EQ(context.projectTimeSamples, 882);
  EXPECT_NEAR(context.projectTimeMusic, 0.04, 1e-12) << "0.02 s at 2 quarter notes per second";
  mProcessing->SetPlaying(false);
  ASSERT_EQ(mProcessing->Process(441), kResultOk);
  EXPECT_EQ(context.projectTimeSamples, 882);
  EXPECT_EQ(context.continousTimeSamples, 1323);

  mProcessing->SetTimeSignature(3, 4);
  mProcessing->SetProjectTime(44100 * 2); // 4 quarter notes: inside the second 3/4 bar
  EXPECT_DOUBLE_EQ(context.projectTimeMusic, 4.0);
  EXPECT_DOUBLE_EQ(context.barPositionMusic, 3.0);
  const uint32 kValid = Vst::ProcessContext::kTempoValid | Vst::ProcessContext::kTimeSigValid |
                        Vst::ProcessContext::kProjectTimeMusicValid | Vst::ProcessContext::kBarPositionValid |
                        Vst::ProcessContext::kContTimeValid;
  EXPECT_EQ(context.state & kValid, kValid);
}

TEST_F(ProcessTest, PluginAsksForTempoAndTransport)
{
  Start();
  auto requirements = mPlugin->QueryComponent<Vst::IProcessContextRequirements>();
  ASSERT_TRUE(requirements);
  EXPECT_EQ(requirements->getProcessContextRequirements(),
            Vst::IProcessContextRequirements::kNeedTempo | Vst::IProcessContextRequirements::kNeedTransportState);
}

} // namespace
} // namespace krb::host
