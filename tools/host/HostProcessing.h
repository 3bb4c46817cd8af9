#pragma once
// Driving process: the ProcessData with its audio buffers (32 or 64-bit), input events and
// parameter changes, output events and changes, and the process context with tempo and
// transport that advances block by block.
//
// Typical use:
//   HostProcessing processing(plugin);
//   processing.Setup(44100, 512, Vst::kSample32);   // setupProcessing, buffers
//   plugin.SetActive(true); plugin.SetProcessing(true);
//   processing.InputEvents().AddNoteOn(0, 36, 1.0f);
//   processing.Process(512);                        // then read Output32(bus, channel)

#include "EventList.h"
#include "HostPlugin.h"
#include "ParameterChanges.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>
#include <vector>

namespace krb::host
{

enum class EFlushMode
{
  kNoBuses,     // numInputs = numOutputs = 0, no bus arrays
  kZeroChannels // every bus given with numChannels = 0 and no channel buffers
};

class HostProcessing
{
public:
  explicit HostProcessing(HostPlugin& plugin, std::size_t eventCapacity = 2048, std::size_t queueCapacity = 512);

  // Calls setupProcessing and sizes the buffers for the audio buses' channel counts. Call
  // while the plug-in is inactive. Returns the plug-in's result.
  Steinberg::tresult Setup(double sampleRate, Steinberg::int32 maxBlockSize,
                           Steinberg::int32 sampleSize = Steinberg::Vst::kSample32,
                           Steinberg::int32 processMode = Steinberg::Vst::kRealtime);
  // Re-reads the buses' channel counts (after setBusArrangements); not for the audio thread.
  void UpdateBuses();

  double SampleRate() const { return mSampleRate; }
  Steinberg::int32 MaxBlockSize() const { return mMaxBlockSize; }
  Steinberg::int32 SampleSize() const { return mSampleSize; }

  // What goes into the next block; cleared after each Process or Flush.
  EventList& InputEvents() { return mInputEvents; }
  ParameterChanges& InputChanges() { return mInputChanges; }
  // What the plug-in sent in the last block.
  EventList& OutputEvents() { return mOutputEvents; }
  ParameterChanges& OutputChanges() { return mOutputChanges; }

  // Transport. Project time and musical position move only while playing; continuous time
  // always moves.
  Steinberg::Vst::ProcessContext& Context() { return mContext; }
  void SetTempo(double bpm);
  void SetPlaying(bool playing);
  void SetTimeSignature(Steinberg::int32 numerator, Steinberg::int32 denominator);
  void SetProjectTime(Steinberg::int64 samples);
  // Without a context, process receives processContext = null.
  void SetContextEnabled(bool enabled) { mContextEnabled = enabled; }

  // Value written into every output sample before each block (0 by default); a sentinel shows
  // samples the plug-in left unwritten.
  void SetOutputFill(double value) { mOutputFill = value; }
  // Inactive audio buses get null channel buffers (allowed by the SDK) instead of real ones.
  void SetInactiveBusBuffersNull(bool nullBuffers) { mNullInactive = nullBuffers; }

  // Audio thread: no allocation. numSamples must not exceed the maximum block size.
  Steinberg::tresult Process(Steinberg::int32 numSamples);
  // A process call with 0 samples that only delivers the parameter changes and events.
  Steinberg::tresult Flush(EFlushMode mode = EFlushMode::kNoBuses);

  // The parts of Process, for tests that change the ProcessData before the call.
  Steinberg::Vst::ProcessData& PrepareBlock(Steinberg::int32 numSamples);
  void FinishBlock(Steinberg::int32 numSamples);
  Steinberg::Vst::ProcessData& Data() { return mData; }

  Steinberg::int32 NumInputBuses() const { return static_cast<Steinberg::int32>(mInputs.mBuses.size()); }
  Steinberg::int32 NumOutputBuses() const { return static_cast<Steinberg::int32>(mOutputs.mBuses.size()); }
  Steinberg::int32 InputChannels(Steinberg::int32 bus) const;
  Steinberg::int32 OutputChannels(Steinberg::int32 bus) const;
  // Null for the other sample size.
  const float* Output32(Steinberg::int32 bus, Steinberg::int32 channel) const;
  const double* Output64(Steinberg::int32 bus, Steinberg::int32 channel) const;
  double OutputSample(Steinberg::int32 bus, Steinberg::int32 channel, Steinberg::int32 frame) const;
  Steinberg::uint64 OutputSilenceFlags(Steinberg::int32 bus) const;
  // Input buffers are silent (zeros with all silence flags set) unless written here.
  float* Input32(Steinberg::int32 bus, Steinberg::int32 channel);
  double* Input64(Steinberg::int32 bus, Steinberg::int32 channel);
  void SetInputSilenceFlags(Steinberg::int32 bus, Steinberg::uint64 flags);

  Steinberg::int64 BlocksProcessed() const { return mBlocks; }

private:
  struct BusSet
  {
    std::vector<Steinberg::int32> mChannels;
    std::vector<std::vector<float>> mStorage32; // one per channel
    std::vector<std::vector<double>> mStorage64;
    std::vector<std::vector<float*>> mPointers32; // per bus
    std::vector<std::vector<double*>> mPointers64;
    std::vector<std::vector<float*>> mNullPointers; // per bus, all null (either sample size)
    std::vector<Steinberg::Vst::AudioBusBuffers> mBuses;
    std::vector<Steinberg::uint64> mSilence; // silence flags to hand in (inputs)
    std::vector<std::size_t> mFirstChannel;  // storage index of each bus's channel 0
  };

  void BuildBusSet(BusSet& set, Steinberg::Vst::BusDirection dir);
  void PointBuffers(BusSet& set, Steinberg::Vst::BusDirection dir);
  void ResetContext();

  HostPlugin& mPlugin;
  double mSampleRate = 44100.0;
  Steinberg::int32 mMaxBlockSize = 0;
  Steinberg::int32 mSampleSize = Steinberg::Vst::kSample32;
  Steinberg::int32 mProcessMode = Steinberg::Vst::kRealtime;
  BusSet mInputs;
  BusSet mOutputs;
  std::vector<Steinberg::Vst::AudioBusBuffers> mFlushInputs;
  std::vector<Steinberg::Vst::AudioBusBuffers> mFlushOutputs;
  EventList mInputEvents;
  EventList mOutputEvents;
  ParameterChanges mInputChanges;
  ParameterChanges mOutputChanges;
  Steinberg::Vst::ProcessContext mContext{};
  bool mContextEnabled = true;
  double mOutputFill = 0.0;
  bool mNullInactive = false;
  Steinberg::Vst::ProcessData mData;
  Steinberg::int64 mBlocks = 0;
};

} // namespace krb::host
