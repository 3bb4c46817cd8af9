#pragma once

// Drives one Krellbinder object through its VST3 interfaces, the way a host does: initialize,
// setupProcessing, activation, then process calls with a process context, MIDI events and
// parameter changes. The rendered frames of every output channel are kept for inspection.

#include <array>
#include <memory>
#include <vector>

#include "Krellbinder.h"
#include "vst3/VST3Sdk.h"
// After the plug-in's headers: the SDK's byte-order macros must not meet the sample reader's names.
#include "EventList.h"
#include "ParameterChanges.h"

namespace krbtest
{
using namespace Steinberg;

class EngineHarness
{
public:
  static constexpr int kNumOutputChannels = 24;

  explicit EngineHarness(double sampleRate = 44100.0, int maxBlock = 512, int32 sampleSize = Vst::kSample64)
    : mPlug(new Krellbinder(InstanceInfo()))
    , mMaxBlock(maxBlock)
    , mSampleSize(sampleSize)
  {
    mPlug->initialize(nullptr);
    for (int b = 0; b < kNumDrums; ++b)
      mPlug->activateBus(Vst::kAudio, Vst::kOutput, b, true);
    Vst::ProcessSetup setup{Vst::kRealtime, sampleSize, maxBlock, sampleRate};
    mPlug->setupProcessing(setup);
    mPlug->setActive(true);
    mPlug->setProcessing(true);
    for (int c = 0; c < kNumOutputChannels; ++c)
    {
      mOut64[static_cast<size_t>(c)].assign(static_cast<size_t>(maxBlock), 0.0);
      mOut32[static_cast<size_t>(c)].assign(static_cast<size_t>(maxBlock), 0.0f);
    }
    mContext.state = Vst::ProcessContext::kTempoValid | Vst::ProcessContext::kPlaying;
    mContext.tempo = 120.0;
    mContext.sampleRate = sampleRate;
  }

  ~EngineHarness()
  {
    mPlug->setProcessing(false);
    mPlug->setActive(false);
    mPlug->terminate();
    mPlug->release();
  }
  EngineHarness(const EngineHarness&) = delete;
  EngineHarness& operator=(const EngineHarness&) = delete;

  Krellbinder& Plug() { return *mPlug; }

  void SetTempo(double bpm) { mContext.tempo = bpm; }
  void SetPlaying(bool playing)
  {
    if (playing)
      mContext.state |= Vst::ProcessContext::kPlaying;
    else
      mContext.state &= ~static_cast<uint32>(Vst::ProcessContext::kPlaying);
  }
  // Buses from `connected` on get no channel buffers from the host. One bus: two connected channels.
  void SetConnectedBuses(int connected) { mConnectedBuses = connected; }

  void NoteOn(int offset, int note, int velocity)
  {
    Vst::Event e{};
    e.type = Vst::Event::kNoteOnEvent;
    e.sampleOffset = offset;
    e.noteOn.pitch = static_cast<int16>(note);
    e.noteOn.velocity = static_cast<float>(velocity) / 127.0f;
    mEvents.addEvent(e);
  }
  void NoteOff(int offset, int note)
  {
    Vst::Event e{};
    e.type = Vst::Event::kNoteOffEvent;
    e.sampleOffset = offset;
    e.noteOff.pitch = static_cast<int16>(note);
    mEvents.addEvent(e);
  }
  // A normalised value, applied by the next block before it renders.
  void Param(int id, double normalized) { mChanges.AddChange(static_cast<Vst::ParamID>(id), 0, normalized); }
  // The plain value through the parameter's own conversion.
  void PlainParam(int id, double plain) { Param(id, mPlug->GetParam(id)->ToNormalized(plain)); }

  // Renders one block, appending its frames to Rendered().
  tresult Process(int nFrames)
  {
    PrepareBlock(nFrames);
    const tresult result = mPlug->process(mData);
    Collect(nFrames);
    return result;
  }

  // Renders `total` frames in blocks of at most the maximum block size.
  void ProcessFrames(int total)
  {
    for (int done = 0; done < total;)
    {
      const int n = std::min(mMaxBlock, total - done);
      Process(n);
      done += n;
    }
  }

  // The parts of Process, for callers that must not allocate around the plug-in's call.
  Vst::ProcessData& PrepareBlock(int nFrames)
  {
    for (int b = 0; b < kNumDrums; ++b)
    {
      const bool connected = b < mConnectedBuses;
      for (int c = 0; c < 2; ++c)
      {
        mPtr64[static_cast<size_t>(2 * b + c)] = mOut64[static_cast<size_t>(2 * b + c)].data();
        mPtr32[static_cast<size_t>(2 * b + c)] = mOut32[static_cast<size_t>(2 * b + c)].data();
      }
      Vst::AudioBusBuffers& bus = mBuses[static_cast<size_t>(b)];
      bus.numChannels = 2;
      bus.silenceFlags = 0;
      if (mSampleSize == Vst::kSample64)
        bus.channelBuffers64 = connected ? &mPtr64[static_cast<size_t>(2 * b)] : nullptr;
      else
        bus.channelBuffers32 = connected ? &mPtr32[static_cast<size_t>(2 * b)] : nullptr;
    }
    mData = Vst::ProcessData{};
    mData.processMode = Vst::kRealtime;
    mData.symbolicSampleSize = mSampleSize;
    mData.numSamples = nFrames;
    mData.numInputs = 0;
    mData.numOutputs = kNumDrums;
    mData.outputs = mBuses.data();
    mData.inputParameterChanges = &mChanges;
    mData.inputEvents = &mEvents;
    mData.processContext = &mContext;
    return mData;
  }
  void FinishBlock()
  {
    mEvents.Clear();
    mChanges.Clear();
  }
  Vst::ProcessData& Data() { return mData; }

  // All frames rendered so far on output channel c (bus c / 2).
  const std::vector<double>& Rendered(int c) const { return mRendered[static_cast<size_t>(c)]; }
  void ClearRendered()
  {
    for (auto& channel : mRendered)
      channel.clear();
  }

private:
  void Collect(int nFrames)
  {
    for (int c = 0; c < kNumOutputChannels; ++c)
    {
      auto& rendered = mRendered[static_cast<size_t>(c)];
      const bool connected = c / 2 < mConnectedBuses;
      for (int f = 0; f < nFrames; ++f)
      {
        const double value = mSampleSize == Vst::kSample64 ? mOut64[static_cast<size_t>(c)][static_cast<size_t>(f)]
                                                           : mOut32[static_cast<size_t>(c)][static_cast<size_t>(f)];
        rendered.push_back(connected ? value : 0.0);
      }
    }
    FinishBlock();
  }

  Krellbinder* mPlug;
  int mMaxBlock;
  int32 mSampleSize;
  int mConnectedBuses = kNumDrums;
  // The host's own lists: fixed capacity, so nothing allocates around the plug-in's call.
  krb::host::EventList mEvents;
  krb::host::ParameterChanges mChanges;
  Vst::ProcessContext mContext{};
  Vst::ProcessData mData{};
  std::array<Vst::AudioBusBuffers, kNumDrums> mBuses{};
  std::array<std::vector<double>, kNumOutputChannels> mOut64;
  std::array<std::vector<float>, kNumOutputChannels> mOut32;
  std::array<double*, kNumOutputChannels> mPtr64{};
  std::array<float*, kNumOutputChannels> mPtr32{};
  std::array<std::vector<double>, kNumOutputChannels> mRendered;
};
} // namespace krbtest
