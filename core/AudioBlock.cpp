#include <algorithm>
#include <cstring>
#include <iterator>

#include "DrumNames.h"
#include "EditorTags.h"
#include "Krellbinder.h"

namespace
{
constexpr int kFirstDrumNote = 36;
constexpr int kFirstPatternNote = 48;
constexpr int kLastPatternNote = 71;
constexpr float kSequencerVelocity = 100.0f;

static_assert(std::size(kDrumNames) == kNumDrums, "one name for each drum");

bool ModeTakesMidi(int mode) { return mode == kModeHostSync || mode == kModeMidi; }
bool ModeRunsClock(int mode, bool transportRunning)
{
  return mode == kModeRun || (mode == kModeHostSync && transportRunning);
}
// Run mode steps at the host's tempo; only HostSync's clock waits for the notes' running flag.
EClockGate ClockGate(int mode) { return mode == kModeRun ? EClockGate::kFreeRunning : EClockGate::kRunningFlag; }
bool ModeRenders(int mode, bool transportRunning)
{
  return mode == kModeRun || mode == kModeMidi || (mode == kModeHostSync && transportRunning);
}

// The swing delay of a hit on an odd step: a sixteenth of a beat at master swing 1.0.
int32_t SwingDelay(double sampleRate, double tempo, double masterSwing)
{
  const double delay = sampleRate * 60.0 / tempo * 0.0625 * masterSwing;
  if (!(delay > 0.0))
    return 0;
  return delay < 2147483647.0 ? static_cast<int32_t>(delay) : INT32_MAX;
}

struct ChannelMix
{
  double* left; // the channel's own output, or output channel 0 when all drums share it
  double* right;
  bool add; // sum into the outputs (two connected channels) or write them
};

// The frames of one channel between two events: the start-delay count, then the sample at the
// slot's pitch, times gain, velocity and master volume. Returns the new play position.
template <int NumChannels>
void RenderRun(const double* data, uint32_t playLength, int32_t pitch, uint32_t& position, int32_t& counter,
               double gainLeft, double gainRight, double velocity, double masterVolume, const ChannelMix& mix,
               int first, int& frame, int end)
{
  auto emit = [&](int f, double left, double right) {
    left = left * gainLeft * velocity / 127.0 * masterVolume;
    right = right * gainRight * velocity / 127.0 * masterVolume;
    if (mix.add)
    {
      mix.left[first + f] += left;
      mix.right[first + f] += right;
    }
    else
    {
      mix.left[first + f] = left;
      mix.right[first + f] = right;
    }
  };

  if (pitch == 0 || pitch < -12 || pitch > 12)
  {
    // One frame per call: a straight run.
    const int count = static_cast<int>(std::min<uint32_t>(static_cast<uint32_t>(end - frame), playLength - position));
    const double* p = data + static_cast<size_t>(position) * NumChannels;
    for (int i = 0; i < count; ++i)
      emit(frame + i, p[i * NumChannels], p[i * NumChannels + NumChannels - 1]);
    frame += count;
    position += static_cast<uint32_t>(count);
    return;
  }
  while (frame < end && position < playLength)
  {
    const double* p = data + static_cast<size_t>(position) * NumChannels;
    emit(frame, p[0], p[NumChannels - 1]);
    SampleSlot::StepPosition(pitch, position, counter);
    ++frame;
  }
}

void SelectPatternFromNote(Krellbinder& plug, int note)
{
  const int octave = (note - kFirstPatternNote) / kNumPatternsPerOctave;
  const int pattern = (note - kFirstPatternNote) % kNumPatternsPerOctave;
  plug.mOctave.store(octave, std::memory_order_relaxed);
  plug.mPattern.store(pattern, std::memory_order_relaxed);

  plug.mStepRowSender.PushFromAudioThread(plug.CurrentStepRow());
  plug.mOctaveSender.PushFromAudioThread(IntSender::Data(kCtrlTagOctave, {octave}));
  plug.mPatternSender.PushFromAudioThread(IntSender::Data(kCtrlTagPattern, {pattern}));

  // The clock call of this same frame starts step 0 of the new pattern.
  plug.mSequencer.mNextStep = 0;
  plug.mSequencer.mSamplesToNextStep = 0;
}

// A note-on or note-off in HostSync or Midi mode. While the host bypasses the plug-in, `strikes` is
// false: the running flag and a pattern note still take effect, but no voice changes.
void TakeUpMidiMsg(Krellbinder& plug, const IMidiMsg& msg, int mode, bool strikes)
{
  switch (msg.StatusMsg())
  {
    case IMidiMsg::kNoteOn:
    {
      plug.mSequencer.mRunning = true;
      const int note = msg.NoteNumber();
      if (note >= kFirstDrumNote && note < kFirstDrumNote + kNumDrums)
      {
        if (!strikes)
          break;
        SampleSlot& slot = plug.mSlots[static_cast<size_t>(note - kFirstDrumNote)];
        slot.mPosition.store(0, std::memory_order_relaxed);
        slot.mVelocity.store(static_cast<float>(msg.Velocity()), std::memory_order_relaxed);
      }
      else if (note >= kFirstPatternNote && note <= kLastPatternNote && mode == kModeHostSync)
        SelectPatternFromNote(plug, note);
      break;
    }
    case IMidiMsg::kNoteOff:
      plug.mSequencer.mRunning = false;
      break;
    default:
      break;
  }
}

void StartStepHits(Krellbinder& plug, double tempo)
{
  const int slotIdx = InRange(plug.mOctave.load(std::memory_order_relaxed), kNumOctaves) * kNumPatternsPerOctave +
                      InRange(plug.mPattern.load(std::memory_order_relaxed), kNumPatternsPerOctave);
  const int step = plug.mSequencer.mPlayingStep;
  for (int d = 0; d < kNumDrums; ++d)
  {
    if (!plug.mSequencer.GetStep(d, slotIdx, step))
      continue;
    // A hit ignores loading, solo and mute; the rendering tests them.
    SampleSlot& slot = plug.mSlots[static_cast<size_t>(d)];
    const int32_t delay = slot.mSwing.load(std::memory_order_relaxed) && step % 2 == 1
                            ? SwingDelay(plug.GetSampleRate(), tempo, plug.mMasterSwing.load(std::memory_order_relaxed))
                            : 0;
    slot.mVelocity.store(kSequencerVelocity, std::memory_order_relaxed);
    // The delay goes before the position (see SampleSlot::mStartDelay).
    slot.mStartDelay.store(delay, std::memory_order_seq_cst);
    slot.mPosition.store(0, std::memory_order_seq_cst);
  }
}

void RenderSpan(Krellbinder& plug, double** outputs, int first, int end, bool renders, bool mixToMain,
                SampleSlot::SampleView* views)
{
  const int count = end - first;
  if (count <= 0)
    return;
  for (int ch = 0; ch < 2 * kNumDrums; ++ch)
    std::memset(outputs[ch] + first, 0, sizeof(double) * static_cast<size_t>(count));
  if (!renders)
    return;

  const double masterVolume = plug.mMasterVolume.load(std::memory_order_relaxed);
  for (int k = 0; k < kNumDrums; ++k)
  {
    SampleSlot& slot = plug.mSlots[static_cast<size_t>(k)];
    SampleSlot::SampleView& view = views[k];
    if (view.mData && slot.IsLoading())
    {
      // A load has begun: let it go ahead now rather than at the end of the block.
      slot.EndAudioRead();
      view = {};
    }
    if (!view.mData)
      continue;
    const int32_t state = slot.mChannelState.load(std::memory_order_relaxed);
    if (state == kChannelMuted || state == kChannelSilencedBySolo)
      continue;

    // The play length never reaches past the buffer that this block reads.
    const uint32_t playLength = std::min(slot.mPlayLength.load(std::memory_order_relaxed), view.mFrames);
    const uint32_t idleBound = playLength * static_cast<uint32_t>(view.mNumChannels);
    uint32_t position = slot.mPosition.load(std::memory_order_relaxed);
    // A play press restarts the voice here, however the last span wrote its position back.
    if (slot.TakePendingHit())
    {
      position = 0;
      slot.mPosition.store(0, std::memory_order_relaxed);
    }
    int32_t delay = slot.mStartDelay.load(std::memory_order_relaxed);
    if (!SampleSlot::DelayCountRuns(delay, position) && position >= idleBound)
      continue;

    int32_t counter = slot.mPitchCounter;
    const int32_t pitch = slot.mPitch.load(std::memory_order_relaxed);
    const double gainLeft = slot.mGainLeft.load(std::memory_order_relaxed);
    const double gainRight = slot.mGainRight.load(std::memory_order_relaxed);
    const double velocity = static_cast<double>(slot.mVelocity.load(std::memory_order_relaxed));
    const ChannelMix mix =
      mixToMain ? ChannelMix{outputs[0], outputs[1], true} : ChannelMix{outputs[2 * k], outputs[2 * k + 1], false};

    int frame = 0;
    while (frame < count)
    {
      if (delay != -1)
      {
        // A delay of D keeps the channel silent for D frames, the frame of the hit included, however
        // short the sample: the count runs on the play position, past the sample's end if need be.
        // A position already beyond the delay is no count; it goes on silently to the idle bound.
        const bool runs = SampleSlot::DelayCountRuns(delay, position);
        const uint32_t target = runs ? static_cast<uint32_t>(delay) : std::max(idleBound, position);
        const uint32_t silent = std::min(target - position, static_cast<uint32_t>(count - frame));
        position += silent;
        frame += static_cast<int>(silent);
        if (!runs || frame == count)
          break;
        // The frame at which the count reaches the delay plays the sample's first frame.
        position = 0;
        delay = -1;
      }
      else if (position >= idleBound)
        break;
      if (position >= playLength)
        break; // silent from here on, and the position stays
      if (view.mNumChannels == 2)
        RenderRun<2>(view.mData, playLength, pitch, position, counter, gainLeft, gainRight, velocity, masterVolume, mix,
                     first, frame, count);
      else
        RenderRun<1>(view.mData, playLength, pitch, position, counter, gainLeft, gainRight, velocity, masterVolume, mix,
                     first, frame, count);
    }

    slot.mStartDelay.store(delay, std::memory_order_relaxed);
    slot.mPitchCounter = counter;
    // Only this thread moves the position while the voice plays; a press waits as a pending hit.
    slot.mPosition.store(position, std::memory_order_relaxed);
  }
}
} // namespace

// Audio thread: queues the message by its offset; ProcessBlock takes it up at its frame.
void Krellbinder::ProcessMidiMsg(const IMidiMsg& msg) { mMidiQueue.Add(msg); }

// Audio thread, while the host bypasses the plug-in: nothing sounds, no voice changes and nothing
// waits in the queue, but the step clock still starts and stops with the notes, and a pattern note
// still selects, so the sequencer is where the host left it when the bypass ends.
void Krellbinder::ProcessBypassedMidiMsg(const IMidiMsg& msg)
{
  const int mode = mMode.load(std::memory_order_relaxed);
  if (ModeTakesMidi(mode))
    TakeUpMidiMsg(*this, msg, mode, false);
}

// Audio thread: no allocation, no locks, no system calls.
//
// The block runs from event to event (a due MIDI message or a clock tick); between two events the
// channels render their frames one channel at a time. Frame for frame this gives what a loop over
// every frame would: the take-up, the clock and the hits happen at their own frames, and the rest of
// the span has none of them.
void Krellbinder::ProcessBlock(double** /*inputs*/, double** outputs, int nFrames)
{
  const bool mixToMain = NOutChansConnected() == 2;
  const bool transportRunning = GetTransportIsRunning();
  const double tempo = GetTempo();

  if (ModeRunsClock(mMode.load(std::memory_order_relaxed), transportRunning))
    mStepLedSender.PushData(IntSender::Data(kCtrlTagLed, {mSequencer.mPlayingStep}));
  mSequencer.mTempo = tempo;

  std::array<SampleSlot::SampleView, kNumDrums> views;
  for (int k = 0; k < kNumDrums; ++k)
    views[static_cast<size_t>(k)] = mSlots[static_cast<size_t>(k)].BeginAudioRead();

  int frame = 0;
  while (frame < nFrames)
  {
    const int mode = mMode.load(std::memory_order_relaxed);

    while (!mMidiQueue.Empty() && mMidiQueue.Peek().mOffset <= frame)
    {
      if (ModeTakesMidi(mode))
        TakeUpMidiMsg(*this, mMidiQueue.Peek(), mode, true);
      mMidiQueue.Remove();
    }

    const bool clockRuns = ModeRunsClock(mode, transportRunning);
    const EClockGate gate = ClockGate(mode);
    if (clockRuns && mSequencer.AdvanceStepClock(gate))
      StartStepHits(*this, tempo);

    // The span ends before the next due message or tick.
    int64_t end = nFrames;
    if (!mMidiQueue.Empty())
      end = std::min<int64_t>(end, mMidiQueue.Peek().mOffset);
    if (clockRuns)
      end = std::min<int64_t>(end, static_cast<int64_t>(frame) + 1 + mSequencer.FramesBeforeNextTick(gate));
    const int spanEnd = static_cast<int>(end);

    RenderSpan(*this, outputs, frame, spanEnd, ModeRenders(mode, transportRunning), mixToMain, views.data());

    if (clockRuns)
      mSequencer.SkipFrames(spanEnd - frame - 1, gate);
    frame = spanEnd;
  }

  for (auto& slot : mSlots)
    slot.EndAudioRead();
  mMidiQueue.Flush(nFrames);
}

void Krellbinder::OnReset()
{
  mSequencer.mSampleRate = GetSampleRate();
  for (auto& slot : mSlots)
    slot.Reload();
}

void Krellbinder::GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const
{
  IPlugVST3::GetBusName(direction, busIdx, nBuses, str);
  if (direction == kOutput && nBuses != 1)
    str.SetFormatted(32, "%s", busIdx >= 0 && busIdx < kNumDrums ? kDrumNames[busIdx] : "");
}
