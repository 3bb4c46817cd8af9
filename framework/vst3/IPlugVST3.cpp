#include "IPlugVST3.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "EditorView.h"
#include "HostCallScope.h"
#include "StringConvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr int32 kMidiChannels = 16;
constexpr int32 kStreamReadStep = 1 << 16;

bool IsMidiCCParam(ParamID id)
{
  return id >= IPlugVST3::kMidiCCParamStartID && id < IPlugVST3::kMidiCCParamStartID + IPlugVST3::kNumMidiCCParams;
}

// A normalised value from the host, within 0 to 1; a NaN counts as 0.
ParamValue UnitValue(ParamValue value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }
} // namespace

IPlugVST3::IPlugVST3(const InstanceInfo& /*info*/, const Config& config)
  : IPlugAPIBase(config)
  , IPlugProcessor(config)
  , mMidiCCValues(static_cast<size_t>(kNumMidiCCParams))
{
  for (int b = 0; b < MaxNBuses(::kOutput); ++b)
    mAudioOutBuses.push_back({NChannelsOfBus(::kOutput, b), false});
  for (int b = 0; b < MaxNBuses(::kInput); ++b)
    mAudioInBuses.push_back({NChannelsOfBus(::kInput, b), false});
  // The main buses are active by default; auxiliary buses wait for the host.
  if (!mAudioOutBuses.empty())
    mAudioOutBuses[0].active = true;
  if (!mAudioInBuses.empty())
    mAudioInBuses[0].active = true;
}

IPlugVST3::~IPlugVST3()
{
  // A host may release the plug-in without terminating it.
  StopHostRunLoopTimer();
  if (mComponentHandler)
    mComponentHandler->release();
  if (mHostContext)
    mHostContext->release();
}

// ---------------------------------------------------------------------------------------------- FUnknown

tresult PLUGIN_API IPlugVST3::queryInterface(const TUID iid, void** obj)
{
  if (!obj)
    return kInvalidArgument;
  FUnknown* result = nullptr;
  if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Steinberg::IPluginBase::iid) ||
      FUnknownPrivate::iidEqual(iid, IComponent::iid))
    result = static_cast<IComponent*>(this);
  else if (FUnknownPrivate::iidEqual(iid, IAudioProcessor::iid))
    result = static_cast<IAudioProcessor*>(this);
  else if (FUnknownPrivate::iidEqual(iid, IProcessContextRequirements::iid))
    result = static_cast<IProcessContextRequirements*>(this);
  else if (FUnknownPrivate::iidEqual(iid, IEditController::iid))
    result = static_cast<IEditController*>(this);
  else if (FUnknownPrivate::iidEqual(iid, IMidiMapping::iid))
    result = static_cast<IMidiMapping*>(this);
  if (!result)
  {
    *obj = nullptr;
    return kNoInterface;
  }
  addRef();
  *obj = result;
  return kResultOk;
}

uint32 PLUGIN_API IPlugVST3::addRef() { return ++mRefCount; }

uint32 PLUGIN_API IPlugVST3::release()
{
  const uint32 count = --mRefCount;
  if (count == 0)
    delete this;
  return count;
}

// ------------------------------------------------------------------------------------------- lifecycle

tresult PLUGIN_API IPlugVST3::initialize(FUnknown* context)
{
  const HostCallScope hostCall;
  // The host may initialise the component and the controller face of this one object: the second
  // call finds everything in place.
  if (mInitializeCount++ > 0)
    return kResultOk;
  if (context)
  {
    context->addRef();
    mHostContext = context;
  }
  DeclareBuses();
  OnParamReset(kReset);
  // A host that offers its main thread's run loop here drives the idle tick from now on, editor or
  // not; the ticks come only once the plug-in is ready for them.
  if (mHostContext)
  {
    IdleTimer& timer = GetIdleTimer();
    mHostRunLoopTimer = HostRunLoopTimer::Start(
      *mHostContext, [&timer] { timer.Tick(); }, timer.GetIntervalMs());
    timer.SetDrivenByHost(mHostRunLoopTimer != nullptr);
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::terminate()
{
  const HostCallScope hostCall;
  if (mInitializeCount == 0)
    return kResultOk;
  if (--mInitializeCount > 0)
    return kResultOk;
  StopHostRunLoopTimer();
  if (mComponentHandler)
  {
    mComponentHandler->release();
    mComponentHandler = nullptr;
  }
  if (mHostContext)
  {
    mHostContext->release();
    mHostContext = nullptr;
  }
  return kResultOk;
}

void IPlugVST3::StopHostRunLoopTimer()
{
  if (!mHostRunLoopTimer)
    return;
  mHostRunLoopTimer.reset();
  GetIdleTimer().SetDrivenByHost(false);
}

void IPlugVST3::DeclareBuses()
{
  mOutBusNames.clear();
  mInBusNames.clear();
  for (int b = 0; b < static_cast<int>(mAudioOutBuses.size()); ++b)
  {
    WDL_String name;
    GetBusName(::kOutput, b, static_cast<int>(mAudioOutBuses.size()), name);
    mOutBusNames.emplace_back(name.Get());
  }
  for (int b = 0; b < static_cast<int>(mAudioInBuses.size()); ++b)
  {
    WDL_String name;
    GetBusName(::kInput, b, static_cast<int>(mAudioInBuses.size()), name);
    mInBusNames.emplace_back(name.Get());
  }
}

// ----------------------------------------------------------------------------------------------- buses

tresult PLUGIN_API IPlugVST3::getControllerClassId(TUID /*classId*/)
{
  // The controller is this same object.
  return kNotImplemented;
}

tresult PLUGIN_API IPlugVST3::setIoMode(IoMode /*mode*/) { return kNotImplemented; }

int32 PLUGIN_API IPlugVST3::getBusCount(MediaType type, BusDirection dir)
{
  if (type == kAudio)
    return static_cast<int32>(dir == Vst::kInput ? mAudioInBuses.size() : mAudioOutBuses.size());
  if (type == kEvent)
    return dir == Vst::kInput ? (DoesMIDIIn() ? 1 : 0) : (DoesMIDIOut() ? 1 : 0);
  return 0;
}

tresult PLUGIN_API IPlugVST3::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
  if (index < 0 || index >= getBusCount(type, dir))
    return kInvalidArgument;
  std::memset(&bus, 0, sizeof(bus));
  bus.mediaType = type;
  bus.direction = dir;
  if (type == kAudio)
  {
    const auto& buses = dir == Vst::kInput ? mAudioInBuses : mAudioOutBuses;
    const auto& names = dir == Vst::kInput ? mInBusNames : mOutBusNames;
    bus.channelCount = buses[static_cast<size_t>(index)].channels;
    bus.busType = index == 0 ? kMain : kAux;
    bus.flags = index == 0 ? BusInfo::kDefaultActive : 0;
    std::string name;
    if (static_cast<size_t>(index) < names.size())
      name = names[static_cast<size_t>(index)];
    else
    {
      WDL_String fallback;
      GetBusName(dir == Vst::kInput ? ::kInput : ::kOutput, index, static_cast<int>(buses.size()), fallback);
      name = fallback.Get();
    }
    Utf8ToString128(name.c_str(), bus.name, 128);
  }
  else
  {
    bus.channelCount = kMidiChannels;
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    Utf8ToString128(dir == Vst::kInput ? "MIDI Input" : "MIDI Output", bus.name, 128);
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/)
{
  return kNotImplemented;
}

tresult PLUGIN_API IPlugVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
  const HostCallScope hostCall;
  if (index < 0 || index >= getBusCount(type, dir))
    return kInvalidArgument;
  if (type == kAudio)
  {
    auto& buses = dir == Vst::kInput ? mAudioInBuses : mAudioOutBuses;
    buses[static_cast<size_t>(index)].active = state != 0;
  }
  // The MIDI input is read whenever the host sends events, active or not.
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setActive(TBool state)
{
  const HostCallScope hostCall;
  OnActivate(state != 0);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                                 int32 numOuts)
{
  const HostCallScope hostCall;
  if (numIns != static_cast<int32>(mAudioInBuses.size()) || numOuts != static_cast<int32>(mAudioOutBuses.size()))
    return kResultFalse;
  if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
    return kInvalidArgument;
  auto matches = [](const std::vector<Bus>& buses, const SpeakerArrangement* arrangements) {
    for (size_t i = 0; i < buses.size(); ++i)
    {
      const int channels = SpeakerArr::getChannelCount(arrangements[i]);
      if (channels != buses[i].channels)
        return false;
      if (channels == 2 && arrangements[i] != SpeakerArr::kStereo)
        return false;
    }
    return true;
  };
  return matches(mAudioInBuses, inputs) && matches(mAudioOutBuses, outputs) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
  const auto& buses = dir == Vst::kInput ? mAudioInBuses : mAudioOutBuses;
  if (index < 0 || index >= static_cast<int32>(buses.size()))
    return kInvalidArgument;
  const int channels = buses[static_cast<size_t>(index)].channels;
  arr = channels == 1 ? SpeakerArr::kMono : channels == 2 ? SpeakerArr::kStereo : 0;
  if (arr == 0)
    for (int c = 0; c < channels; ++c)
      arr |= static_cast<SpeakerArrangement>(1) << c;
  return kResultOk;
}

// ------------------------------------------------------------------------------------------ processing

tresult PLUGIN_API IPlugVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API IPlugVST3::getLatencySamples() { return static_cast<uint32>(GetLatency()); }
uint32 PLUGIN_API IPlugVST3::getTailSamples() { return kNoTail; }
uint32 PLUGIN_API IPlugVST3::getProcessContextRequirements()
{
  return IProcessContextRequirements::kNeedTempo | IProcessContextRequirements::kNeedTransportState;
}

tresult PLUGIN_API IPlugVST3::setupProcessing(ProcessSetup& setup)
{
  const HostCallScope hostCall;
  if (setup.maxSamplesPerBlock <= 0 || !(setup.sampleRate > 0.0) ||
      (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64))
    return kResultFalse;
  const int nOut = MaxNChannels(::kOutput);
  const int nIn = MaxNChannels(::kInput);
  mMaxBlockSize = setup.maxSamplesPerBlock;
  mSampleSize = setup.symbolicSampleSize;
  mScratch.assign(static_cast<size_t>(nOut + nIn) * static_cast<size_t>(mMaxBlockSize), 0.0);
  mOutputPtrs.assign(static_cast<size_t>(std::max(nOut, 1)), nullptr);
  mInputPtrs.assign(static_cast<size_t>(std::max(nIn, 1)), nullptr);
  for (int c = 0; c < nOut; ++c)
    mOutputPtrs[static_cast<size_t>(c)] = mScratch.data() + static_cast<size_t>(c) * mMaxBlockSize;
  for (int c = 0; c < nIn; ++c)
    mInputPtrs[static_cast<size_t>(c)] = mScratch.data() + static_cast<size_t>(nOut + c) * mMaxBlockSize;
  SetSampleRate(setup.sampleRate);
  SetBlockSize(mMaxBlockSize);
  OnReset();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setProcessing(TBool state)
{
  const HostCallScope hostCall;
  if (!state)
    OnReset();
  return kResultOk;
}

void IPlugVST3::ReadProcessContext(const ProcessContext* context)
{
  ITimeInfo timeInfo;
  if (context)
  {
    if (context->state & ProcessContext::kTempoValid)
      timeInfo.mTempo = context->tempo;
    timeInfo.mTransportIsRunning = (context->state & ProcessContext::kPlaying) != 0;
    timeInfo.mTransportLoopEnabled = (context->state & ProcessContext::kCycleActive) != 0;
    timeInfo.mSamplePos = static_cast<double>(context->projectTimeSamples);
    if (context->state & ProcessContext::kProjectTimeMusicValid)
      timeInfo.mPPQPos = context->projectTimeMusic;
    if (context->state & ProcessContext::kTimeSigValid)
    {
      timeInfo.mNumerator = context->timeSigNumerator;
      timeInfo.mDenominator = context->timeSigDenominator;
    }
  }
  SetTimeInfo(timeInfo);
}

void IPlugVST3::ApplyParameterChanges(IParameterChanges* changes)
{
  if (!changes)
    return;
  const int32 count = changes->getParameterCount();
  for (int32 i = 0; i < count; ++i)
  {
    IParamValueQueue* queue = changes->getParameterData(i);
    if (!queue)
      continue;
    const int32 points = queue->getPointCount();
    if (points <= 0)
      continue;
    const ParamID id = queue->getParameterId();
    if (IsMidiCCParam(id))
    {
      // Mapped MIDI controllers arrive as parameter points; they go on as MIDI messages at their offsets.
      const int number = static_cast<int>(id - kMidiCCParamStartID);
      for (int32 p = 0; p < points; ++p)
      {
        int32 offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(p, offset, value) != kResultOk)
          continue;
        value = UnitValue(value);
        mMidiCCValues[static_cast<size_t>(number)].store(value, std::memory_order_relaxed);
        IMidiMsg msg;
        if (number == kPitchBend)
        {
          const int bend = static_cast<int>(std::lround(value * 16383.0));
          msg = IMidiMsg(offset, 0xE0, static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>((bend >> 7) & 0x7F));
        }
        else if (number == kAfterTouch)
          msg = IMidiMsg(offset, 0xD0, static_cast<uint8_t>(std::lround(value * 127.0)), 0);
        else
          msg.MakeControlChangeMsg(number, static_cast<int>(std::lround(value * 127.0)), offset);
        if (GetBypassed())
          ProcessBypassedMidiMsg(msg);
        else
          ProcessMidiMsg(msg);
      }
      continue;
    }
    int32 offset = 0;
    ParamValue value = 0.0;
    if (queue->getPoint(points - 1, offset, value) != kResultOk)
      continue;
    if (id == kBypassParamID)
      SetBypassed(value >= 0.5);
    else if (IParam* param = GetParam(static_cast<int>(id)))
    {
      // A parameter that shows the plug-in's state keeps showing it: the host's point reaches it
      // through the edit controller, where the plug-in acts on it.
      double stateValue = 0.0;
      if (GetParamValueFromState(static_cast<int>(id), stateValue))
        continue;
      param->SetNormalized(value);
      OnParamChange(static_cast<int>(id));
    }
  }
}

void IPlugVST3::ReadEvents(IEventList* events, bool bypassed)
{
  if (!events || !DoesMIDIIn())
    return;
  auto deliver = [this, bypassed](const IMidiMsg& msg) {
    if (bypassed)
      ProcessBypassedMidiMsg(msg);
    else
      ProcessMidiMsg(msg);
  };
  const int32 count = events->getEventCount();
  for (int32 i = 0; i < count; ++i)
  {
    Event event{};
    if (events->getEvent(i, event) != kResultOk)
      continue;
    auto velocity = [](float v) { return static_cast<uint8_t>(std::clamp(std::lround(v * 127.0f), 0L, 127L)); };
    switch (event.type)
    {
      case Event::kNoteOnEvent:
        if (event.noteOn.pitch < 0 || event.noteOn.pitch > 127)
          break;
        deliver(IMidiMsg(event.sampleOffset, static_cast<uint8_t>(0x90 | (event.noteOn.channel & 0x0F)),
                         static_cast<uint8_t>(event.noteOn.pitch), velocity(event.noteOn.velocity)));
        break;
      case Event::kNoteOffEvent:
        if (event.noteOff.pitch < 0 || event.noteOff.pitch > 127)
          break;
        deliver(IMidiMsg(event.sampleOffset, static_cast<uint8_t>(0x80 | (event.noteOff.channel & 0x0F)),
                         static_cast<uint8_t>(event.noteOff.pitch), velocity(event.noteOff.velocity)));
        break;
      case Event::kPolyPressureEvent:
        if (event.polyPressure.pitch < 0 || event.polyPressure.pitch > 127)
          break;
        deliver(IMidiMsg(event.sampleOffset, static_cast<uint8_t>(0xA0 | (event.polyPressure.channel & 0x0F)),
                         static_cast<uint8_t>(event.polyPressure.pitch), velocity(event.polyPressure.pressure)));
        break;
      default:
        break;
    }
  }
}

void IPlugVST3::UpdateConnectedChannels(const ProcessData& data)
{
  int channel = 0;
  for (int b = 0; b < static_cast<int>(mAudioOutBuses.size()); ++b)
  {
    const int channels = mAudioOutBuses[static_cast<size_t>(b)].channels;
    const AudioBusBuffers* buffers = b < data.numOutputs && data.outputs ? &data.outputs[b] : nullptr;
    const bool busPresent = mAudioOutBuses[static_cast<size_t>(b)].active && buffers &&
                            buffers->numChannels >= channels &&
                            (data.symbolicSampleSize == kSample64 ? buffers->channelBuffers64 != nullptr
                                                                  : buffers->channelBuffers32 != nullptr);
    for (int c = 0; c < channels; ++c, ++channel)
    {
      bool connected = busPresent;
      if (connected)
        connected = data.symbolicSampleSize == kSample64 ? buffers->channelBuffers64[c] != nullptr
                                                         : buffers->channelBuffers32[c] != nullptr;
      SetChannelConnected(::kOutput, channel, connected);
    }
  }
}

// Audio thread: no allocation, no locks. Renders into the scratch buffers, then copies into the
// host's buffers in the host's sample size.
void IPlugVST3::RenderChunk(ProcessData& data, int startFrame, int nFrames)
{
  ProcessBlock(mInputPtrs.data(), mOutputPtrs.data(), nFrames);
  int channel = 0;
  for (int b = 0; b < static_cast<int>(mAudioOutBuses.size()) && b < data.numOutputs && data.outputs; ++b)
  {
    AudioBusBuffers& buffers = data.outputs[b];
    const int channels =
      std::min(mAudioOutBuses[static_cast<size_t>(b)].channels, static_cast<int>(buffers.numChannels));
    for (int c = 0; c < channels; ++c)
    {
      const double* source = mOutputPtrs[static_cast<size_t>(channel + c)];
      if (data.symbolicSampleSize == kSample64)
      {
        if (buffers.channelBuffers64 && buffers.channelBuffers64[c])
          std::memcpy(buffers.channelBuffers64[c] + startFrame, source, sizeof(double) * static_cast<size_t>(nFrames));
      }
      else if (buffers.channelBuffers32 && buffers.channelBuffers32[c])
      {
        float* dest = buffers.channelBuffers32[c] + startFrame;
        for (int s = 0; s < nFrames; ++s)
          dest[s] = static_cast<float>(source[s]);
      }
    }
    channel += mAudioOutBuses[static_cast<size_t>(b)].channels;
  }
}

void IPlugVST3::WriteSilence(ProcessData& data)
{
  for (int32 b = 0; b < data.numOutputs && data.outputs; ++b)
  {
    AudioBusBuffers& buffers = data.outputs[b];
    for (int32 c = 0; c < buffers.numChannels; ++c)
    {
      if (data.symbolicSampleSize == kSample64)
      {
        if (buffers.channelBuffers64 && buffers.channelBuffers64[c])
          std::memset(buffers.channelBuffers64[c], 0, sizeof(double) * static_cast<size_t>(data.numSamples));
      }
      else if (buffers.channelBuffers32 && buffers.channelBuffers32[c])
        std::memset(buffers.channelBuffers32[c], 0, sizeof(float) * static_cast<size_t>(data.numSamples));
    }
  }
}

void IPlugVST3::SetSilenceFlags(ProcessData& data)
{
  for (int32 b = 0; b < data.numOutputs && data.outputs; ++b)
  {
    AudioBusBuffers& buffers = data.outputs[b];
    uint64 flags = 0;
    for (int32 c = 0; c < buffers.numChannels && c < 64; ++c)
    {
      bool silent = true;
      if (data.symbolicSampleSize == kSample64)
      {
        const double* samples = buffers.channelBuffers64 ? buffers.channelBuffers64[c] : nullptr;
        for (int32 s = 0; samples && s < data.numSamples && silent; ++s)
          silent = samples[s] == 0.0;
      }
      else
      {
        const float* samples = buffers.channelBuffers32 ? buffers.channelBuffers32[c] : nullptr;
        for (int32 s = 0; samples && s < data.numSamples && silent; ++s)
          silent = samples[s] == 0.0f;
      }
      if (silent)
        flags |= static_cast<uint64>(1) << c;
    }
    buffers.silenceFlags = flags;
  }
}

// Audio thread: no allocation, no locks, no system calls.
tresult PLUGIN_API IPlugVST3::process(ProcessData& data)
{
  ReadProcessContext(data.processContext);
  ApplyParameterChanges(data.inputParameterChanges);

  if (data.numSamples < 0)
    return kResultOk; // nothing to render: only the parameter changes count
  if (data.numSamples > 0 && data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64)
    return kInvalidArgument;

  if (mMaxBlockSize <= 0)
  {
    // Processing was never set up: there is nothing to render into and no sample rate to count in,
    // so the events are dropped; a call with frames gets silence.
    if (data.numSamples == 0)
      return kResultOk;
    WriteSilence(data);
    SetSilenceFlags(data);
    return kNotInitialized;
  }

  if (GetBypassed())
  {
    // Nothing renders and nothing waits for a block: the plug-in sees each note at once.
    ReadEvents(data.inputEvents, true);
    WriteSilence(data);
    SetSilenceFlags(data);
    return kResultOk;
  }

  ReadEvents(data.inputEvents, false);
  if (data.numSamples == 0)
  {
    // A flush, with or without output buses: the events are queued for the next block, and a block
    // of no frames runs, so that what a block does at its start and at its end still happens.
    ProcessBlock(mInputPtrs.data(), mOutputPtrs.data(), 0);
    return kResultOk;
  }
  UpdateConnectedChannels(data);
  // A host that sends more frames than it announced gets them in announced-size pieces.
  for (int start = 0; start < data.numSamples; start += mMaxBlockSize)
    RenderChunk(data, start, std::min(mMaxBlockSize, data.numSamples - start));
  SetSilenceFlags(data);
  return kResultOk;
}

// ------------------------------------------------------------------------------------------------ state

tresult PLUGIN_API IPlugVST3::getState(IBStream* state)
{
  const HostCallScope hostCall;
  if (!state)
    return kInvalidArgument;
  IByteChunk chunk;
  if (!SerializeState(chunk))
    return kResultFalse;
  const int32 bypassed = GetBypassed() ? 1 : 0;
  chunk.Put(&bypassed);
  int32 written = 0;
  if (state->write(chunk.GetData(), chunk.Size(), &written) != kResultOk || written != chunk.Size())
    return kResultFalse;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setState(IBStream* state)
{
  const HostCallScope hostCall;
  if (!state)
    return kInvalidArgument;
  IByteChunk chunk;
  for (;;)
  {
    const int size = chunk.Size();
    if (size > INT32_MAX - kStreamReadStep)
      return kResultFalse;
    chunk.Resize(size + kStreamReadStep);
    int32 read = 0;
    if (state->read(chunk.GetData() + size, kStreamReadStep, &read) != kResultOk)
      read = 0;
    read = std::clamp(read, 0, kStreamReadStep);
    chunk.Resize(size + read);
    if (read == 0)
      break;
  }
  const int pos = UnserializeState(chunk, 0);
  if (pos < 0)
    return kResultFalse;
  int32 bypassed = 0;
  if (chunk.Get(&bypassed, pos) < 0)
    return kResultFalse;
  SetBypassed(bypassed != 0);
  OnRestoreState();
  // Any parameter may have changed with the state.
  InformHostOfParamValuesChanged();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setComponentState(IBStream* /*state*/)
{
  const HostCallScope hostCall;
  // The controller shares the component's parameters: its state is already in place.
  return kResultOk;
}

// ------------------------------------------------------------------------------------------- parameters

int32 PLUGIN_API IPlugVST3::getParameterCount() { return NParams() + 1 + kNumMidiCCParams; }

tresult PLUGIN_API IPlugVST3::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
  if (paramIndex < 0 || paramIndex >= getParameterCount())
    return kInvalidArgument;
  std::memset(&info, 0, sizeof(info));
  info.unitId = Vst::kRootUnitId;
  if (paramIndex < NParams())
  {
    const IParam* param = GetParam(paramIndex);
    info.id = static_cast<ParamID>(paramIndex);
    Utf8ToString128(param->GetName(), info.title, 128);
    Utf8ToString128(param->GetName(), info.shortTitle, 128);
    // A value with display texts carries its meaning in them; its label is not shown.
    Utf8ToString128(param->NDisplayTexts() > 0 ? "" : param->GetLabel(), info.units, 128);
    info.stepCount = param->GetStepCount();
    info.defaultNormalizedValue = param->GetDefault(true);
    info.flags = param->GetCanAutomate() ? ParameterInfo::kCanAutomate : 0;
    return kResultOk;
  }
  if (paramIndex == NParams())
  {
    info.id = kBypassParamID;
    Utf8ToString128("Bypass", info.title, 128);
    Utf8ToString128("Bypass", info.shortTitle, 128);
    info.stepCount = 1;
    info.defaultNormalizedValue = 0.0;
    info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass;
    return kResultOk;
  }
  const int number = paramIndex - NParams() - 1;
  info.id = kMidiCCParamStartID + static_cast<ParamID>(number);
  char title[32];
  if (number == kAfterTouch)
    std::snprintf(title, sizeof(title), "MIDI Aftertouch");
  else if (number == kPitchBend)
    std::snprintf(title, sizeof(title), "MIDI Pitch Bend");
  else
    std::snprintf(title, sizeof(title), "MIDI CC %d", number);
  Utf8ToString128(title, info.title, 128);
  Utf8ToString128(title, info.shortTitle, 128);
  info.stepCount = 0;
  info.defaultNormalizedValue = number == kPitchBend ? 0.5 : 0.0;
  info.flags = ParameterInfo::kIsHidden | ParameterInfo::kIsReadOnly;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string)
{
  if (!string)
    return kInvalidArgument;
  if (id == kBypassParamID)
  {
    Utf8ToString128(valueNormalized >= 0.5 ? "on" : "off", string, 128);
    return kResultOk;
  }
  if (IsMidiCCParam(id))
  {
    char text[16];
    std::snprintf(text, sizeof(text), "%d",
                  static_cast<int>(std::lround(std::clamp(valueNormalized, 0.0, 1.0) * 127.0)));
    Utf8ToString128(text, string, 128);
    return kResultOk;
  }
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param)
    return kInvalidArgument;
  WDL_String display;
  param->GetDisplay(param->FromNormalized(valueNormalized), display);
  Utf8ToString128(display.Get(), string, 128);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized)
{
  if (!string)
    return kInvalidArgument;
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param)
    return kInvalidArgument;
  double value = 0.0;
  if (!param->StringToValue(Utf16ToUtf8(string).c_str(), value))
    return kResultFalse;
  valueNormalized = param->ToNormalized(value);
  return kResultOk;
}

ParamValue PLUGIN_API IPlugVST3::normalizedParamToPlain(ParamID id, ParamValue valueNormalized)
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->FromNormalized(valueNormalized) : valueNormalized;
}

ParamValue PLUGIN_API IPlugVST3::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->ToNormalized(plainValue) : plainValue;
}

ParamValue PLUGIN_API IPlugVST3::getParamNormalized(ParamID id)
{
  if (id == kBypassParamID)
    return GetBypassed() ? 1.0 : 0.0;
  if (IsMidiCCParam(id))
    return mMidiCCValues[id - kMidiCCParamStartID].load(std::memory_order_relaxed);
  // Read from the state itself: true also when the audio thread has just moved it.
  return id < static_cast<ParamID>(NParams()) ? ReadParamNormalized(static_cast<int>(id)) : 0.0;
}

tresult PLUGIN_API IPlugVST3::setParamNormalized(ParamID id, ParamValue value)
{
  const HostCallScope hostCall;
  if (id == kBypassParamID)
  {
    SetBypassed(value >= 0.5);
    return kResultOk;
  }
  if (IsMidiCCParam(id))
  {
    mMidiCCValues[id - kMidiCCParamStartID].store(UnitValue(value), std::memory_order_relaxed);
    return kResultOk;
  }
  IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param)
    return kInvalidArgument;
  param->SetNormalized(value);
  OnParamChangeUI(static_cast<int>(id), kHost);
  SendParameterValueFromDelegate(static_cast<int>(id), param->GetNormalized(), true);
  // A parameter that keeps only some values (its steps, or what the plug-in's state shows) may not
  // keep the one written, whether or not the write acted: the host would go on holding a value that
  // is not the parameter's, so it is asked to read them all again.
  if (!KeepsEveryValue(static_cast<int>(id)) && getParamNormalized(id) != value)
    mParamValuesChangedPending = true;
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setComponentHandler(IComponentHandler* handler)
{
  const HostCallScope hostCall;
  if (handler == mComponentHandler)
    return kResultOk;
  if (handler)
    handler->addRef();
  if (mComponentHandler)
    mComponentHandler->release();
  mComponentHandler = handler;
  return kResultOk;
}

IPlugView* PLUGIN_API IPlugVST3::createView(FIDString name)
{
  const HostCallScope hostCall;
  if (!name || std::strcmp(name, ViewType::kEditor) != 0 || !HasUI())
    return nullptr;
  return MakeEditorView(*this);
}

tresult PLUGIN_API IPlugVST3::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                          CtrlNumber midiControllerNumber, ParamID& id)
{
  if (busIndex != 0 || channel != 0 || midiControllerNumber < 0 || midiControllerNumber >= kNumMidiCCParams)
    return kResultFalse;
  id = kMidiCCParamStartID + static_cast<ParamID>(midiControllerNumber);
  return kResultTrue;
}

// ------------------------------------------------------------------------------------- editor to host

bool IPlugVST3::KeepsEveryValue(int paramIdx) const
{
  const IParam* param = GetParam(paramIdx);
  double stateValue = 0.0;
  return param && !param->GetStepped() && !GetParamValueFromState(paramIdx, stateValue);
}

// An edit that comes about inside one of the host's calls (an editor control that a reaction to the
// host's change sets, an idle tick inside a modal loop) is not sent as an edit: the host reads the
// value at the next tick.
void IPlugVST3::BeginInformHostOfParamChangeFromUI(int paramIdx)
{
  if (mComponentHandler && GetParam(paramIdx) && !HostCallScope::Active())
    mComponentHandler->beginEdit(static_cast<ParamID>(paramIdx));
}

void IPlugVST3::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  if (HostCallScope::Active())
    mParamValuesChangedPending = true;
  else if (mComponentHandler && GetParam(paramIdx))
    mComponentHandler->performEdit(static_cast<ParamID>(paramIdx), normalizedValue);
}

void IPlugVST3::EndInformHostOfParamChangeFromUI(int paramIdx)
{
  if (mComponentHandler && GetParam(paramIdx) && !HostCallScope::Active())
    mComponentHandler->endEdit(static_cast<ParamID>(paramIdx));
}

void IPlugVST3::InformHostOfParamValuesChanged()
{
  mParamValuesChangedPending = true;
  if (!HostCallScope::Active())
    SendPendingHostNotices();
}

void IPlugVST3::SendPendingHostNotices()
{
  if (HostCallScope::Active() || !mParamValuesChangedPending.exchange(false))
    return;
  if (mComponentHandler)
    mComponentHandler->restartComponent(kParamValuesChanged);
}
