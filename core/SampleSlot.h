#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "SampleFileReader.h"

// Play length of a channel: `frames` through a 32-bit float, times `fraction`, truncated toward zero,
// and never more than `bufferFrames` (the frames of the buffer that the audio thread reads). A
// product that is not a positive number gives 0.
uint32_t ComputePlayLength(int32_t frames, double fraction, uint32_t bufferFrames);

// One drum channel: the decoded sample of one file in one buffer of doubles, the voice that plays it
// and the mixer values that the audio block applies.
//
// Threads. The mixer fields, the play position and the play length are single values shared by the
// main thread and the audio thread with relaxed atomic access. The buffer, its size and its channel
// count change only inside LoadFile and ReplaceBuffer, which first raise mLoading and then wait until
// the audio thread has let go of the buffer (see BeginAudioRead); the audio thread never waits.
// Loads run on the main thread or on the thread that sets up or stops processing, never inside a
// block.
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

  SampleSlot() = default;
  ~SampleSlot();
  SampleSlot(const SampleSlot&) = delete;
  SampleSlot& operator=(const SampleSlot&) = delete;

  // Reads the file (UTF-16 path) and makes its first one or two channels the slot's sample; on
  // failure reports two lines on the debugger output and keeps the previous sample. Either way the
  // path becomes the slot's, the voice is idle and the play length follows the length fraction.
  void LoadFile(std::u16string path);

  // Makes `buffer` (`size` doubles; two interleaved channels when numChannels is 2, else mono) the
  // slot's sample: the voice is idle and the play length follows the length fraction. A size that
  // is not a whole number of frames keeps only the whole frames playable. For a state restore.
  void ReplaceBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);

  // The channel's length parameter: stores the fraction and sets the play length from the decoded
  // file's frame count (never more than the buffer's frames). Any thread.
  void SetLengthFraction(double fraction);

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

  uint32_t Size() const { return mSize.load(std::memory_order_relaxed); }
  int32_t NumChannels() const { return mNumChannels.load(std::memory_order_relaxed); }
  uint32_t Frames() const { return FramesOf(Size(), NumChannels()); }
  bool IsLoading() const { return mLoading.load(std::memory_order_relaxed); }
  // Main thread (the thread that loads): the buffer, mSize doubles, or null.
  const double* Buffer() const { return mBuffer.get(); }

  std::atomic<float> mVelocity{100.0f};          // of the last hit, 0-127
  std::atomic<int32_t> mPitch{0};                // semitones, -12 to 12
  std::atomic<double> mVolume{1.0};              // 0 to 2
  std::atomic<double> mGainLeft{1.0};
  std::atomic<double> mGainRight{1.0};
  std::atomic<int32_t> mChannelState{0};         // EChannelState; 1 and 2 are silent
  std::atomic<double> mPan{0.5};                 // 0 to 1

private:
  std::atomic<uint32_t> mSize{0};                // doubles in mBuffer: channels x frames

public:
  std::atomic<uint32_t> mPosition{0};            // next frame to play; a hit sets it to 0
  std::atomic<uint32_t> mPlayLength{0};          // frames that play; the audio block clamps it to the buffer
  std::atomic<double> mLengthFraction{1.0};      // 0 to 1
  std::atomic<bool> mSwing{false};
  std::u16string mPath;                          // the file's path; empty: no file. Loading thread only.

private:
  static uint32_t FramesOf(uint32_t size, int32_t numChannels) { return numChannels == 2 ? size / 2 : size; }
  // Raises mLoading (waiting for another loader of this slot to finish first).
  void BeginLoad();
  // Waits until the audio thread reads no buffer of this slot; mLoading keeps it away afterwards.
  void WaitForAudioRelease();
  void EndLoad();
  // With the audio thread kept away: the new buffer, the idle voice and the play length.
  void InstallBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels);
  void ApplyPlayLengthAfterLoad();

  std::unique_ptr<double[]> mBuffer;             // mono frame after frame, or stereo interleaved L R
  std::atomic<int32_t> mNumChannels{1};          // 2: stereo; any other value: mono
  std::atomic<bool> mLoading{false};             // the channel is silent while a load runs

public:
  int32_t mPitchCounter = 0;                     // audio thread only
  SampleFileReader<double> mReader;              // loading thread only; channels of the last load attempt
  int32_t mStartDelay = 0;                       // audio thread only; -1: no delay pending

private:
  std::atomic<bool> mAudioReading{false};        // the audio thread holds a view of the buffer
};
