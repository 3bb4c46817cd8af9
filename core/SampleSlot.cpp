#include "SampleSlot.h"

#include <chrono>
#include <limits>
#include <new>
#include <thread>

#include "SamplePath.h"
#include "platform/DebugOutput.h"

namespace
{
// A waiting loader polls at this pace; the audio thread lets go within one block.
constexpr auto kLoaderPollInterval = std::chrono::microseconds(100);
} // namespace

uint32_t ComputePlayLength(int32_t frames, double fraction, uint32_t bufferFrames)
{
  // The count passes through a 32-bit float on purpose: long samples lose their low bits here, so
  // the same length comes out wherever the rule is applied.
  const float framesAsFloat = static_cast<float>(frames);
  const double product = static_cast<double>(framesAsFloat) * fraction;
  if (!(product > 0.0))
    return 0;
  if (product >= static_cast<double>(bufferFrames))
    return bufferFrames;
  return static_cast<uint32_t>(product);
}

SampleSlot::~SampleSlot()
{
  // The buffer goes first; the reader and then the path follow as members.
  mBuffer.reset();
}

SampleSlot::SampleView SampleSlot::BeginAudioRead()
{
  // Both accesses are sequentially consistent: either this block sees mLoading raised, or the loader
  // sees mAudioReading set and waits for EndAudioRead before it touches the buffer.
  mAudioReading.store(true, std::memory_order_seq_cst);
  if (mLoading.load(std::memory_order_seq_cst))
  {
    mAudioReading.store(false, std::memory_order_release);
    return {};
  }
  const uint64_t shape = mShape.load(std::memory_order_relaxed);
  return {mBuffer.get(), FramesOf(shape), NumChannelsOf(shape)};
}

void SampleSlot::BeginLoad()
{
  // Sequentially consistent with BeginAudioRead: see there.
  mLoading.store(true, std::memory_order_seq_cst);
}

void SampleSlot::WaitForAudioRelease()
{
  // Acquire pairs with EndAudioRead's release: the audio thread's last reads of the old buffer come
  // before anything this thread does to it.
  while (mAudioReading.load(std::memory_order_seq_cst))
    std::this_thread::sleep_for(kLoaderPollInterval);
}

void SampleSlot::EndLoad()
{
  // Release: the buffer, its size and channel count are in place before the audio thread may read.
  mLoading.store(false, std::memory_order_release);
}

void SampleSlot::IdleAfterLoad()
{
  // Idle: the sample sounds at the next hit. The position goes before the delay (see mStartDelay).
  mPosition.store(Size(), std::memory_order_seq_cst);
  mStartDelay.store(-1, std::memory_order_seq_cst);
  mPendingHit.store(false, std::memory_order_relaxed);
  mPlayLength.Update([this] {
    const uint32_t frames = Frames();
    const double fraction = mLengthFraction.load(std::memory_order_seq_cst);
    // At full length the whole buffer plays, whatever a 32-bit float would make of its frame count.
    return fraction >= 1.0 ? frames : ComputePlayLength(static_cast<int32_t>(frames), fraction, frames);
  });
}

void SampleSlot::InstallBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels)
{
  if (!buffer)
    size = 0;
  mBuffer = std::move(buffer);
  mShape.store(MakeShape(size, numChannels), std::memory_order_seq_cst);
  IdleAfterLoad();
}

void SampleSlot::LoadFile(std::u16string path)
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  LoadHeld(std::move(path));
}

void SampleSlot::Reload()
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  if (!mPath.empty())
    LoadHeld(mPath);
  else
    DropDelayedHitHeld();
}

void SampleSlot::DropDelayedHitHeld()
{
  // No delay at all: nothing to drop, and the audio thread need not be kept away.
  if (mStartDelay.load(std::memory_order_relaxed) < 0)
    return;
  BeginLoad();
  WaitForAudioRelease();
  if (DelayCountRuns(mStartDelay.load(std::memory_order_relaxed), mPosition.load(std::memory_order_relaxed)))
  {
    mPosition.store(Size(), std::memory_order_seq_cst);
    mStartDelay.store(-1, std::memory_order_seq_cst);
  }
  EndLoad();
}

void SampleSlot::LoadHeld(std::u16string path)
{
  BeginLoad();

  bool loaded = false;
  std::unique_ptr<double[]> buffer;
  uint32_t size = 0;
  int32_t numChannels = 1;
  std::string utf8Path;
  try
  {
    utf8Path = Utf16ToUtf8(path);
    loaded = mReader.Load(utf8Path);
    const auto& channels = mReader.mSamples;
    const size_t frames = channels.empty() ? 0 : channels[0].size();
    if (loaded)
    {
      // A file of three or more channels plays its channel 0 alone, like a mono file.
      numChannels = channels.size() == 2 ? 2 : 1;
      const size_t values = frames * static_cast<size_t>(numChannels);
      if (values > std::numeric_limits<uint32_t>::max())
        loaded = false; // more than a 32-bit size can count
      else
      {
        size = static_cast<uint32_t>(values);
        // The new buffer is made before the old one is let go, so a failed allocation keeps the old.
        buffer.reset(new (std::nothrow) double[values > 0 ? values : 1]);
        if (!buffer)
          loaded = false;
        else if (numChannels == 2)
          for (size_t i = 0; i < frames; ++i)
          {
            buffer[2 * i] = BoundSample(channels[0][i]);
            buffer[2 * i + 1] = BoundSample(channels[1][i]);
          }
        else
          for (size_t i = 0; i < frames; ++i)
            buffer[i] = BoundSample(channels[0][i]);
      }
    }
  }
  catch (const std::exception&)
  {
    loaded = false; // out of memory while decoding: the slot keeps what it had
  }

  WaitForAudioRelease();
  if (loaded)
    InstallBuffer(std::move(buffer), size, numChannels);
  else
  {
    try
    {
      const std::string first = "File not found or couldn't be read '" + utf8Path + "' Using current buffer instead\n";
      const std::string second = "mSize is '" + std::to_string(Size()) + "'\n";
      OutputDebugText(first.c_str());
      OutputDebugText(second.c_str());
    }
    catch (const std::exception&)
    {
    }
    IdleAfterLoad();
  }
  // A failed load takes the new path too, so the channel's label names the file that failed.
  mPath = std::move(path);
  EndLoad();
}

void SampleSlot::ExchangeBufferHeld(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels)
{
  BeginLoad();
  WaitForAudioRelease();
  InstallBuffer(std::move(buffer), size, numChannels);
  EndLoad();
}

void SampleSlot::RestoreSample(std::u16string path, std::unique_ptr<double[]> buffer, uint32_t size,
                               int32_t numChannels)
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  LoadHeld(std::move(path));
  ExchangeBufferHeld(std::move(buffer), size, numChannels);
}

void SampleSlot::ClearSample(std::u16string path)
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  ExchangeBufferHeld(nullptr, 0, 1);
  mPath = std::move(path);
}

void SampleSlot::ReplaceBuffer(std::unique_ptr<double[]> buffer, uint32_t size, int32_t numChannels)
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  ExchangeBufferHeld(std::move(buffer), size, numChannels);
}

std::u16string SampleSlot::Path() const
{
  const std::lock_guard<std::mutex> guard(mLoadGuard);
  return mPath;
}

void SampleSlot::SetLengthFraction(double fraction)
{
  mLengthFraction.store(fraction, std::memory_order_seq_cst);
  // The frames of the buffer that plays, not of the last file read: after a failed reload of a
  // restored channel the two differ, and the restored sample must stay audible.
  mPlayLength.Update([this] {
    const uint32_t frames = Frames();
    return ComputePlayLength(static_cast<int32_t>(frames), mLengthFraction.load(std::memory_order_seq_cst), frames);
  });
}

void SampleSlot::Hit()
{
  mPendingHit.store(true, std::memory_order_relaxed);
  mPosition.store(0, std::memory_order_relaxed);
}

void SampleSlot::StepPosition()
{
  uint32_t position = mPosition.load(std::memory_order_relaxed);
  StepPosition(mPitch.load(std::memory_order_relaxed), position, mPitchCounter);
  mPosition.store(position, std::memory_order_relaxed);
}
