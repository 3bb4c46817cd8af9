#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "SampleFileReader.h"

// The largest magnitude that a value keeps in a slot's buffer. A value comes out at most volume 2 x
// velocity 1 x master volume 2 times itself, and the twelve channels are summed when the host connects
// only the main bus: 48 x 1e36 stays well below the largest 32-bit float (3.4e38), so no setting can
// make the host's 32-bit output infinite.
constexpr double kMaxSampleMagnitude = 1e36;

// A value as it enters a slot's buffer (from a file or a saved state): a NaN or an infinity plays as
// 0, a value beyond kMaxSampleMagnitude keeps its sign at that magnitude, every other value its own.
inline double BoundSample(double value)
{
  if (!std::isfinite(value))
    return 0.0;
  return std::clamp(value, -kMaxSampleMagnitude, kMaxSampleMagnitude);
}

// Play length of a channel: `frames` through a 32-bit float, times `fraction`, truncated toward zero,
// and never more than `bufferFrames` (the frames of the buffer that the audio thread reads). A
// product that is not a positive number gives 0.
uint32_t ComputePlayLength(int32_t frames, double fraction, uint32_t bufferFrames);

// One drum channel: the decoded sample of one file in one buffer of doubles, the voice that plays it
// and the mixer values that the audio block applies.
//
// Threads. The mixer fields, the play position, the start delay and the play length are single
// values shared by the main thread and the audio thread with atomic access. The path, the buffer, its
// size and its channel count change only under the slot's load guard: loads, restores and clears take
// it (on the main thread, or on the thread that stops processing), and so do the readers of the path
// and of the buffer; the audio thread never takes it. A change of the buffer also raises mLoading and
// waits until the audio thread has let go of the buffer (see BeginAudioRead); the audio thread never
// waits.
class SampleSlot
{
public:
  // What the audio thread reads for one block: the buffer with its frame count and channel count.
  struct SampleView
  {
    const double* mData = nullptr;
    uint32_t mFrames = 0;
    int32_t mNumChannels = 1;
  };

  // The slot's path and sample, held still for the life of the object: no load, restore or clear of
  // the slot runs meanwhile. Never on the audio thread.
  class HeldSample
  {
  public:
    explicit HeldSample(const SampleSlot& slot)
      : mSlot(slot)
      , mGuard(slot.mLoadGuard)
    {
    }

    const std::u16string& Path() const { return mSlot.mPath; }
    // Size() doubles: mono frame after frame, or stereo interleaved; null when Size() is 0.
    const double* Data() const { return mSlot.mBuffer.get(); }
    uint32_t Size() const { return mSlot.Size(); }
    int32_t NumChannels() const { return mSlot.NumChannels(); }

  private:
    const SampleSlot& mSlot;
    std::unique_lock<std::mutex> mGuard;
  };

  // The play length, with a count of its writes in the same word. Every writer computes the length
  // from the current sample and fraction and stores it only if no other write came in between,
  // computing again otherwise: a length computed from a sample that a load has just replaced, or
  // from a fraction that has just changed, can never be the one that stays. Any thread, lock-free.
  class PlayLength
  {
  public:
    uint32_t load(std::memory_order order = std::memory_order_seq_cst) const
    {
      return static_cast<uint32_t>(mWord.load(order));
    }

    // Stores compute(); compute reads the sample's shape and the fraction itself, after the word.
    template <class Compute>
    void Update(Compute compute)
    {
      // Sequentially consistent, like the fraction and the shape that compute reads: a writer that
      // changed either of them before it got here makes this exchange fail and compute again.
      uint64_t word = mWord.load(std::memory_order_seq_cst);
      for (;;)
      {
        const uint64_t next = (((word >> 32) + 1) << 32) | compute();
        if (mWord.compare_exchange_weak(word, next, std::memory_order_seq_cst))
          return;
      }
    }

  private:
    std::atomic<uint64_t> mWord{0};
  };

  SampleSlot() = default;
  ~SampleSlot();
  SampleSlot(const SampleSlot&) = delete;
  SampleSlot& operator=(const SampleSlot&) = delete;

  // Reads the file (UTF-16 path) and makes its first one or two channels the slot's sample; on
  // failure reports two lines on the debugger output and keeps the previous sample. Either way the
  // path becomes the slot's, the voice is idle and the play length follows the length fraction.
  void LoadFile(std::u16string path);

  // Loads the slot's own path again (when it has one). The path is read under the same guard as the
  // load, so a load of another file that ran just before is never undone by an older path. A slot
  // without a path keeps its sample and its voice, except a hit that still counts its start delay:
  // that hit is dropped, as a load drops it.
  void Reload();

  // A restored channel with sample data: loads the stored path (for the decoded file), then the stored
  // buffer replaces what was loaded, so the channel sounds as it was saved; both as one step that no
  // other load of the slot can come between.
  void RestoreSample(std::u16string path, std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);

  // A restored channel saved without sample data: the path alone and no sample.
  void ClearSample(std::u16string path);

  // Makes `buffer` (`size` doubles, within kMaxSampleMagnitude; two interleaved channels when
  // numChannels is 2, else mono) the slot's sample: the voice is idle and the play length follows the
  // length fraction. A size that is not a whole number of frames keeps only the whole frames playable.
  void ReplaceBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);

  // The channel's length parameter: stores the fraction and sets the play length from the frames of
  // the buffer (never more than they). Any thread.
  void SetLengthFraction(double fraction);

  // The play button (main thread): the voice restarts from the sample's start. The position shows it
  // at once; the pending hit makes the audio thread restart the voice at the start of the channel's
  // next span even when a span that was already rendering writes its end position back.
  void Hit();
  // Audio thread, at the start of a span that renders the channel: whether a hit is waiting.
  bool TakePendingHit() { return mPendingHit.exchange(false, std::memory_order_relaxed); }

  // Whether a start delay is still counting: a hit puts the position at the count's start, and the
  // count ends when the position reaches the delay, however far past the sample's end that lies. A
  // position beyond the delay is no count.
  static bool DelayCountRuns(int32_t delay, uint32_t position)
  {
    return delay >= 0 && position <= static_cast<uint32_t>(delay);
  }

  // Advances the play position by one rendered frame with the pitch rule.
  void StepPosition();
  // The pitch rule on plain values, for the audio block's inner loop.
  static void StepPosition(int32_t pitch, uint32_t& position, int32_t& counter)
  {
    if (pitch < 0 && pitch >= -12)
    {
      if (counter == 0)
        counter = pitch + 13; // this frame is played again
      else
      {
        ++position;
        --counter;
      }
    }
    else if (pitch > 0 && pitch <= 12)
    {
      if (counter == 0)
      {
        position += 2;
        counter = 13 - pitch;
      }
      else
      {
        ++position;
        --counter;
      }
    }
    else
      ++position;
  }

  // Audio thread, once per slot at the start of a block: the sample to render, empty while a load
  // replaces it. The view stays valid until EndAudioRead, which the audio thread calls at the end of
  // the block, or as soon as it sees mLoading raised.
  SampleView BeginAudioRead();
  void EndAudioRead() { mAudioReading.store(false, std::memory_order_release); }

  // Size and channel count come from one word, so they always describe the same buffer.
  uint32_t Size() const { return SizeOf(mShape.load(std::memory_order_seq_cst)); }
  int32_t NumChannels() const { return NumChannelsOf(mShape.load(std::memory_order_seq_cst)); }
  uint32_t Frames() const { return FramesOf(mShape.load(std::memory_order_seq_cst)); }
  bool IsLoading() const { return mLoading.load(std::memory_order_relaxed); }
  // The path of the channel's file; empty: no file. Never on the audio thread.
  std::u16string Path() const;
  // The buffer, Size() doubles, or null: for a thread that no load can run beside (else HeldSample).
  const double* Buffer() const { return mBuffer.get(); }

  std::atomic<float> mVelocity{100.0f}; // of the last hit, 0-127
  std::atomic<int32_t> mPitch{0};       // semitones, -12 to 12
  std::atomic<double> mVolume{1.0};     // 0 to 2
  std::atomic<double> mGainLeft{1.0};
  std::atomic<double> mGainRight{1.0};
  std::atomic<int32_t> mChannelState{0}; // EChannelState; 1 and 2 are silent
  std::atomic<double> mPan{0.5};         // 0 to 1

private:
  // Size (doubles in mBuffer, low 32 bits) and channel count (high bits) of the sample.
  std::atomic<uint64_t> mShape{MakeShape(0, 1)};

public:
  std::atomic<uint32_t> mPosition{0};       // next frame to play; a hit sets it to 0
  PlayLength mPlayLength;                   // frames that play; the audio block clamps it to the buffer
  std::atomic<double> mLengthFraction{1.0}; // 0 to 1
  std::atomic<bool> mSwing{false};

private:
  static uint64_t MakeShape(uint32_t size, int32_t numChannels)
  {
    return static_cast<uint64_t>(numChannels == 2 ? 2 : 1) << 32 | size;
  }
  static uint32_t SizeOf(uint64_t shape) { return static_cast<uint32_t>(shape); }
  static int32_t NumChannelsOf(uint64_t shape) { return static_cast<int32_t>(shape >> 32); }
  static uint32_t FramesOf(uint64_t shape) { return NumChannelsOf(shape) == 2 ? SizeOf(shape) / 2 : SizeOf(shape); }

  // The steps below run under the load guard.
  void LoadHeld(std::u16string path);
  void BeginLoad();
  // Waits until the audio thread reads no buffer of this slot; mLoading keeps it away afterwards.
  void WaitForAudioRelease();
  void EndLoad();
  // With the audio thread kept away: the new buffer, the idle voice and the play length.
  void InstallBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);
  // The whole exchange of the buffer: the audio thread kept away, the buffer installed, let in again.
  void ExchangeBufferHeld(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);
  // The voice idle, no hit waiting (neither a press nor a start delay), and the play length of the
  // length fraction over the buffer.
  void IdleAfterLoad();
  // A slot that keeps its sample: a hit still counting its start delay is dropped, the voice idle.
  void DropDelayedHitHeld();

  mutable std::mutex mLoadGuard;        // loads, restores, clears and the path's readers
  std::u16string mPath;                 // the file's path; empty: no file
  std::unique_ptr<double[]> mBuffer;    // mono frame after frame, or stereo interleaved L R
  std::atomic<bool> mLoading{false};    // the channel is silent while a load runs
  std::atomic<bool> mPendingHit{false}; // a play press waits for the audio thread

public:
  int32_t mPitchCounter = 0;        // audio thread only
  SampleFileReader<double> mReader; // under the load guard; channels of the last load attempt
  // Start delay of the last sequencer hit, in frames; -1: no delay pending. The audio thread writes
  // it with a hit and counts it down while it renders the slot; a load, a restore, a clear and a reset
  // clear it while the rendering is kept away. A sequencer hit ignores the loading flag and may meet
  // a load: the hit stores the delay before the position and the load the position before the delay,
  // in one sequentially consistent order. So the two end as the load alone, the hit alone, or the hit
  // without its delay (it plays at once), but never as the load's idle position with the hit's delay,
  // which would count on from the idle position into a hit that no step asked for.
  std::atomic<int32_t> mStartDelay{0};

private:
  std::atomic<bool> mAudioReading{false}; // the audio thread holds a view of the buffer
};
