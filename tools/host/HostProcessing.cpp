#include "HostProcessing.h"

#include <algorithm>
#include <cmath>

using namespace Steinberg;

namespace krb::host
{

HostProcessing::HostProcessing(HostPlugin& plugin, std::size_t eventCapacity, std::size_t queueCapacity)
  : mPlugin(plugin)
  , mInputEvents(eventCapacity)
  , mOutputEvents(eventCapacity)
  , mInputChanges(queueCapacity)
  , mOutputChanges(queueCapacity)
{
  mContext.tempo = 120.0;
  mContext.timeSigNumerator = 4;
  mContext.timeSigDenominator = 4;
  ResetContext();
}

void HostProcessing::ResetContext()
{
  mContext.sampleRate = mSampleRate;
  mContext.state |= Vst::ProcessContext::kTempoValid | Vst::ProcessContext::kTimeSigValid |
                    Vst::ProcessContext::kProjectTimeMusicValid | Vst::ProcessContext::kBarPositionValid |
                    Vst::ProcessContext::kContTimeValid;
}

tresult HostProcessing::Setup(double sampleRate, int32 maxBlockSize, int32 sampleSize, int32 processMode)
{
  mSampleRate = sampleRate;
  mMaxBlockSize = maxBlockSize > 0 ? maxBlockSize : 0;
  mSampleSize = sampleSize;
  mProcessMode = processMode;
  mContext.sampleRate = sampleRate;
  Vst::ProcessSetup setup{processMode, sampleSize, maxBlockSize, sampleRate};
  const tresult result = mPlugin.Processor()->setupProcessing(setup);
  UpdateBuses();
  return result;
}

void HostProcessing::BuildBusSet(BusSet& set, Vst::BusDirection dir)
{
  set = BusSet{};
  const auto frames = static_cast<std::size_t>(mMaxBlockSize);
  const int32 count = mPlugin.BusCount(Vst::kAudio, dir);
  std::size_t storage = 0;
  for (int32 i = 0; i < count; ++i)
  {
    Vst::BusInfo info{};
    int32 channels = 0;
    if (mPlugin.Component()->getBusInfo(Vst::kAudio, dir, i, info) == kResultOk)
      channels = std::max<int32>(info.channelCount, 0);
    set.mChannels.push_back(channels);
    set.mFirstChannel.push_back(storage);
    storage += static_cast<std::size_t>(channels);
    // Silence flags hold one bit per channel.
    set.mSilence.push_back(channels >= 64 ? ~uint64{0} : ((uint64{1} << channels) - 1));
  }
  if (mSampleSize == Vst::kSample64)
    set.mStorage64.assign(storage, std::vector<double>(std::max<std::size_t>(frames, 1), 0.0));
  else
    set.mStorage32.assign(storage, std::vector<float>(std::max<std::size_t>(frames, 1), 0.0f));
  set.mPointers32.resize(static_cast<std::size_t>(count));
  set.mPointers64.resize(static_cast<std::size_t>(count));
  set.mNullPointers.resize(static_cast<std::size_t>(count));
  set.mBuses.resize(static_cast<std::size_t>(count));
  for (int32 i = 0; i < count; ++i)
  {
    const auto bus = static_cast<std::size_t>(i);
    for (int32 c = 0; c < set.mChannels[bus]; ++c)
    {
      const std::size_t index = set.mFirstChannel[bus] + static_cast<std::size_t>(c);
      if (mSampleSize == Vst::kSample64)
        set.mPointers64[bus].push_back(set.mStorage64[index].data());
      else
        set.mPointers32[bus].push_back(set.mStorage32[index].data());
    }
    // The channel array must exist even for a bus with no channels.
    set.mPointers32[bus].push_back(nullptr);
    set.mPointers64[bus].push_back(nullptr);
    set.mNullPointers[bus].assign(static_cast<std::size_t>(set.mChannels[bus]) + 1, nullptr);
    Vst::AudioBusBuffers& buffers = set.mBuses[bus];
    buffers.numChannels = set.mChannels[bus];
    buffers.silenceFlags = 0;
    if (mSampleSize == Vst::kSample64)
      buffers.channelBuffers64 = set.mPointers64[bus].data();
    else
      buffers.channelBuffers32 = set.mPointers32[bus].data();
  }
}

void HostProcessing::UpdateBuses()
{
  BuildBusSet(mInputs, Vst::kInput);
  BuildBusSet(mOutputs, Vst::kOutput);
  mFlushInputs.assign(mInputs.mBuses.size(), Vst::AudioBusBuffers{});
  mFlushOutputs.assign(mOutputs.mBuses.size(), Vst::AudioBusBuffers{});
}

void HostProcessing::SetTempo(double bpm)
{
  mContext.tempo = bpm;
  mContext.state |= Vst::ProcessContext::kTempoValid;
}

void HostProcessing::SetPlaying(bool playing)
{
  if (playing)
    mContext.state |= Vst::ProcessContext::kPlaying;
  else
    mContext.state &= ~static_cast<uint32>(Vst::ProcessContext::kPlaying);
}

void HostProcessing::SetTimeSignature(int32 numerator, int32 denominator)
{
  mContext.timeSigNumerator = numerator;
  mContext.timeSigDenominator = denominator;
  mContext.state |= Vst::ProcessContext::kTimeSigValid;
}

void HostProcessing::SetProjectTime(int64 samples)
{
  mContext.projectTimeSamples = samples;
  mContext.projectTimeMusic = static_cast<double>(samples) / mSampleRate * mContext.tempo / 60.0;
  const double barLength =
    mContext.timeSigDenominator > 0 ? 4.0 * mContext.timeSigNumerator / mContext.timeSigDenominator : 4.0;
  mContext.barPositionMusic = barLength > 0 ? std::floor(mContext.projectTimeMusic / barLength) * barLength : 0.0;
}

void HostProcessing::PointBuffers(BusSet& set, Vst::BusDirection dir)
{
  for (std::size_t bus = 0; bus < set.mBuses.size(); ++bus)
  {
    Vst::AudioBusBuffers& buffers = set.mBuses[bus];
    buffers.numChannels = set.mChannels[bus];
    if (mNullInactive && !mPlugin.IsBusActive(Vst::kAudio, dir, static_cast<int32>(bus)))
      buffers.channelBuffers32 = set.mNullPointers[bus].data();
    else if (mSampleSize == Vst::kSample64)
      buffers.channelBuffers64 = set.mPointers64[bus].data();
    else
      buffers.channelBuffers32 = set.mPointers32[bus].data();
  }
}

Vst::ProcessData& HostProcessing::PrepareBlock(int32 numSamples)
{
  const auto frames = static_cast<std::size_t>(std::clamp<int32>(numSamples, 0, mMaxBlockSize));
  PointBuffers(mOutputs, Vst::kOutput);
  PointBuffers(mInputs, Vst::kInput);
  for (auto& bus : mOutputs.mBuses)
    bus.silenceFlags = 0;
  for (auto& channel : mOutputs.mStorage32)
    std::fill(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(frames), static_cast<float>(mOutputFill));
  for (auto& channel : mOutputs.mStorage64)
    std::fill(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(frames), mOutputFill);
  for (std::size_t bus = 0; bus < mInputs.mBuses.size(); ++bus)
    mInputs.mBuses[bus].silenceFlags = mInputs.mSilence[bus];

  mOutputEvents.Clear();
  mOutputChanges.Clear();
  mContext.sampleRate = mSampleRate;

  mData = Vst::ProcessData{};
  mData.processMode = mProcessMode;
  mData.symbolicSampleSize = mSampleSize;
  mData.numSamples = numSamples;
  mData.numInputs = static_cast<int32>(mInputs.mBuses.size());
  mData.numOutputs = static_cast<int32>(mOutputs.mBuses.size());
  mData.inputs = mInputs.mBuses.empty() ? nullptr : mInputs.mBuses.data();
  mData.outputs = mOutputs.mBuses.empty() ? nullptr : mOutputs.mBuses.data();
  mData.inputParameterChanges = &mInputChanges;
  mData.outputParameterChanges = &mOutputChanges;
  mData.inputEvents = &mInputEvents;
  mData.outputEvents = &mOutputEvents;
  mData.processContext = mContextEnabled ? &mContext : nullptr;
  return mData;
}

void HostProcessing::FinishBlock(int32 numSamples)
{
  mInputEvents.Clear();
  mInputChanges.Clear();
  ++mBlocks;
  if (numSamples <= 0)
    return;
  mContext.continousTimeSamples += numSamples;
  if (mContext.state & Vst::ProcessContext::kPlaying)
    SetProjectTime(mContext.projectTimeSamples + numSamples);
}

tresult HostProcessing::Process(int32 numSamples)
{
  if (numSamples < 0 || numSamples > mMaxBlockSize)
    return kInvalidArgument;
  Vst::ProcessData& data = PrepareBlock(numSamples);
  const tresult result = mPlugin.Processor()->process(data);
  FinishBlock(numSamples);
  return result;
}

tresult HostProcessing::Flush(EFlushMode mode)
{
  Vst::ProcessData& data = PrepareBlock(0);
  if (mode == EFlushMode::kNoBuses)
  {
    data.numInputs = 0;
    data.numOutputs = 0;
    data.inputs = nullptr;
    data.outputs = nullptr;
  }
  else
  {
    for (auto& bus : mFlushInputs)
      bus = Vst::AudioBusBuffers{};
    for (auto& bus : mFlushOutputs)
      bus = Vst::AudioBusBuffers{};
    data.inputs = mFlushInputs.empty() ? nullptr : mFlushInputs.data();
    data.outputs = mFlushOutputs.empty() ? nullptr : mFlushOutputs.data();
  }
  const tresult result = mPlugin.Processor()->process(data);
  FinishBlock(0);
  return result;
}

int32 HostProcessing::InputChannels(int32 bus) const
{
  if (bus < 0 || bus >= NumInputBuses())
    return 0;
  return mInputs.mChannels[static_cast<std::size_t>(bus)];
}

int32 HostProcessing::OutputChannels(int32 bus) const
{
  if (bus < 0 || bus >= NumOutputBuses())
    return 0;
  return mOutputs.mChannels[static_cast<std::size_t>(bus)];
}

const float* HostProcessing::Output32(int32 bus, int32 channel) const
{
  if (mSampleSize != Vst::kSample32 || channel < 0 || channel >= OutputChannels(bus))
    return nullptr;
  return mOutputs.mStorage32[mOutputs.mFirstChannel[static_cast<std::size_t>(bus)] + static_cast<std::size_t>(channel)]
    .data();
}

const double* HostProcessing::Output64(int32 bus, int32 channel) const
{
  if (mSampleSize != Vst::kSample64 || channel < 0 || channel >= OutputChannels(bus))
    return nullptr;
  return mOutputs.mStorage64[mOutputs.mFirstChannel[static_cast<std::size_t>(bus)] + static_cast<std::size_t>(channel)]
    .data();
}

double HostProcessing::OutputSample(int32 bus, int32 channel, int32 frame) const
{
  if (frame < 0 || frame >= mMaxBlockSize)
    return 0.0;
  if (const float* samples = Output32(bus, channel))
    return samples[frame];
  if (const double* samples = Output64(bus, channel))
    return samples[frame];
  return 0.0;
}

uint64 HostProcessing::OutputSilenceFlags(int32 bus) const
{
  if (bus < 0 || bus >= NumOutputBuses())
    return 0;
  return mOutputs.mBuses[static_cast<std::size_t>(bus)].silenceFlags;
}

float* HostProcessing::Input32(int32 bus, int32 channel)
{
  if (mSampleSize != Vst::kSample32 || channel < 0 || channel >= InputChannels(bus))
    return nullptr;
  return mInputs.mStorage32[mInputs.mFirstChannel[static_cast<std::size_t>(bus)] + static_cast<std::size_t>(channel)]
    .data();
}

double* HostProcessing::Input64(int32 bus, int32 channel)
{
  if (mSampleSize != Vst::kSample64 || channel < 0 || channel >= InputChannels(bus))
    return nullptr;
  return mInputs.mStorage64[mInputs.mFirstChannel[static_cast<std::size_t>(bus)] + static_cast<std::size_t>(channel)]
    .data();
}

void HostProcessing::SetInputSilenceFlags(int32 bus, uint64 flags)
{
  if (bus >= 0 && bus < NumInputBuses())
    mInputs.mSilence[static_cast<std::size_t>(bus)] = flags;
}

} // namespace krb::host
