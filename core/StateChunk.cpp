// The plug-in's saved state: raw little-endian doubles and 32-bit integers, with no tags, lengths or
// padding. Version, pattern memory, selections, master values, then one record per channel with its
// path (one double per UTF-16 unit, 0.0 at the end), its sample data and its mixer values.

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Krellbinder.h"
#include "SamplePath.h"
#include "platform/DebugOutput.h"

static_assert(std::endian::native == std::endian::little, "the chunk holds the values' own bytes");

namespace
{
constexpr double kStateVersion = 3.0;
constexpr int kPatternValues = kNumDrums * kNumPatternSlots * kStepsPerSlot;
constexpr int kFixedPartBytes = 8 + 8 * kPatternValues + 5 * 4 + 2 * 8;
constexpr int kRecordFieldBytes = 4 + 8 + 8 + 4 + 8 + 8; // channel state, pan, volume, pitch, swing, length
// The framework reads a host's stream back in 64 KiB steps into one chunk of at most INT32_MAX bytes,
// and the bypass flag follows the chunk: a bigger state could be saved but never restored.
constexpr int64_t kMaxChunkBytes = INT32_MAX - 2 * 65536;

// One line per channel on the debugger output: its path and its number of stored samples.
void TraceSampleCount(const std::u16string& path, double count)
{
  try
  {
    const int digits = std::snprintf(nullptr, 0, "%f", count);
    std::string number(static_cast<size_t>(std::max(digits, 0)), '\0');
    std::snprintf(number.data(), number.size() + 1, "%f", count);
    const std::string line = "Nr of samples " + Utf16ToUtf8(path) + " is " + number + "\n";
    OutputDebugText(line.c_str());
  }
  catch (const std::exception&)
  {
    // A trace line that cannot be built is left out.
  }
}

// Appends values and remembers whether every append took.
class ChunkWriter
{
public:
  explicit ChunkWriter(IByteChunk& chunk)
    : mChunk(chunk)
  {
  }

  template <class T>
  void Put(const T& value)
  {
    mOk = mChunk.Put(&value) > 0 && mOk;
  }

  void PutBytes(const void* data, int64_t size)
  {
    if (size > INT32_MAX)
      mOk = false;
    else
      mOk = mChunk.PutBytes(data, static_cast<int>(size)) > 0 && mOk;
  }

  // Appends count doubles, value(i) for i from 0, a block at a time.
  template <class ValueOf>
  void PutDoubles(size_t count, ValueOf value)
  {
    double block[1024];
    for (size_t start = 0; start < count; start += std::size(block))
    {
      const size_t n = std::min(std::size(block), count - start);
      for (size_t i = 0; i < n; ++i)
        block[i] = value(start + i);
      PutBytes(block, static_cast<int64_t>(n * sizeof(double)));
    }
  }

  bool Ok() const { return mOk; }

private:
  IByteChunk& mChunk;
  bool mOk = true;
};

// Reads values from a position; after the first read that fails every later one fails too.
class ChunkReader
{
public:
  ChunkReader(const IByteChunk& chunk, int position)
    : mChunk(chunk)
    , mPosition(position)
  {
  }

  template <class T>
  bool Read(T& value)
  {
    if (mPosition < 0)
      return false;
    mPosition = mChunk.Get(&value, mPosition);
    return mPosition >= 0;
  }

  // The next `bytes` bytes in place, or nullptr when they would end past the chunk.
  const uint8_t* Take(int64_t bytes)
  {
    if (mPosition < 0 || bytes < 0 || bytes > static_cast<int64_t>(mChunk.Size()) - mPosition)
    {
      mPosition = -1;
      return nullptr;
    }
    const uint8_t* data = mChunk.GetData() + mPosition;
    mPosition += static_cast<int>(bytes);
    return data;
  }

  int64_t Remaining() const { return mPosition < 0 ? 0 : static_cast<int64_t>(mChunk.Size()) - mPosition; }
  int Position() const { return mPosition; }

private:
  const IByteChunk& mChunk;
  int mPosition;
};

double LoadDouble(const uint8_t* bytes)
{
  double value;
  std::memcpy(&value, bytes, sizeof(value));
  return value;
}

// Copies stored sample values into a buffer as a slot takes them: a NaN or an infinity becomes 0 and
// a value beyond the slot's bound is brought to it, so that nothing the chunk holds can overflow the
// host's mix.
void CopyBoundedSamples(const uint8_t* source, double* target, size_t count)
{
  for (size_t i = 0; i < count; ++i)
    target[i] = BoundSample(LoadDouble(source + i * sizeof(double)));
}

// A channel record as the chunk holds it, checked and brought into range.
struct StoredChannel
{
  std::u16string mPath;
  double mStoredCount = 0.0;         // N as stored, for the trace line
  std::unique_ptr<double[]> mBuffer; // null when the record holds no sample data
  uint32_t mSize = 0;
  int32_t mNumChannels = 1;
  int32_t mChannelState = kChannelNormal;
  double mPan = 0.5;
  double mVolume = 1.0;
  int32_t mPitch = 0;
  bool mSwing = false;
  double mLengthFraction = 1.0;
};

struct StoredState
{
  std::vector<uint8_t> mSteps;
  int32_t mDisplayedStep = 0;
  int32_t mSelectedDrum = 0;
  int32_t mMode = kModeStop;
  int32_t mOctave = 0;
  int32_t mPattern = 0;
  double mMasterVolume = 1.0;
  double mMasterSwing = 0.0;
  std::array<StoredChannel, kNumDrums> mChannels;
};

// Reads a path: doubles up to the first 0.0, each one UTF-16 unit (the low 16 bits of its whole part).
// A value that cannot be a unit (not finite, beyond 32 bits, or giving the unit 0) or a path that runs
// to the end of the chunk rejects the chunk.
bool ReadPath(ChunkReader& reader, std::u16string& path)
{
  path.clear();
  for (;;)
  {
    double value;
    if (!reader.Read(value))
      return false;
    if (value == 0.0)
      return true;
    if (!(value > -2147483649.0 && value < 2147483648.0))
      return false;
    const auto unit = static_cast<char16_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFFF);
    // A unit 0 inside a path would be saved as the path's end and shift everything after it.
    if (unit == 0)
      return false;
    path += unit;
  }
}

// Reads a channel record. Sample data must be whole: a count that is a whole number, fits the chunk
// and the 32-bit size, one or two channels, and a whole number of frames.
bool ReadChannel(ChunkReader& reader, const Krellbinder& plug, int ch, StoredChannel& channel)
{
  if (!ReadPath(reader, channel.mPath))
    return false;
  double count;
  if (!reader.Read(count) || !std::isfinite(count))
    return false;
  channel.mStoredCount = count;
  if (count > 0.0)
  {
    if (count != std::trunc(count) || count > static_cast<double>(UINT32_MAX))
      return false;
    const auto n = static_cast<uint64_t>(count);
    if (static_cast<int64_t>(n) > (reader.Remaining() - 8) / 8)
      return false;
    double channels;
    if (!reader.Read(channels) || !(channels >= 1.0 && channels < 3.0))
      return false;
    const int32_t numChannels = static_cast<int32_t>(channels);
    if (n % static_cast<uint64_t>(numChannels) != 0)
      return false;
    const uint8_t* samples = reader.Take(static_cast<int64_t>(n * sizeof(double)));
    if (!samples)
      return false;
    channel.mBuffer.reset(new (std::nothrow) double[n]);
    if (!channel.mBuffer)
      return false;
    CopyBoundedSamples(samples, channel.mBuffer.get(), n);
    channel.mSize = static_cast<uint32_t>(n);
    channel.mNumChannels = numChannels;
  }

  int32_t state;
  double pan, volume, swing, length;
  int32_t pitch;
  if (!reader.Read(state) || !reader.Read(pan) || !reader.Read(volume) || !reader.Read(pitch) || !reader.Read(swing) ||
      !reader.Read(length))
    return false;
  channel.mChannelState = state >= kChannelNormal && state <= kChannelSoloed ? state : kChannelNormal;
  // Out of range (a NaN, an infinity or beyond the knob's travel) the value is the one the knob can show.
  channel.mPan = plug.GetParam(kPanKnob + ch)->Constrain(pan);
  channel.mVolume = plug.GetParam(kVolumeKnob + ch)->Constrain(volume);
  channel.mPitch = std::clamp(pitch, -12, 12);
  channel.mSwing = swing == 1.0;
  channel.mLengthFraction = plug.GetParam(kLengthKnob + ch)->Constrain(length);
  return true;
}

// Reads everything after the version, touching nothing of the plug-in. Returns the position after the
// last value, or -1 when the chunk is rejected.
int ReadStoredState(ChunkReader& reader, const Krellbinder& plug, StoredState& state)
{
  const uint8_t* patterns = reader.Take(static_cast<int64_t>(kPatternValues) * 8);
  if (!patterns)
    return -1;
  state.mSteps.resize(kPatternValues);
  for (int i = 0; i < kPatternValues; ++i)
    state.mSteps[static_cast<size_t>(i)] = LoadDouble(patterns + 8 * i) != 0.0 ? 1 : 0; // a NaN counts as set

  int32_t displayedStep, selectedDrum, mode, octave, pattern;
  double masterVolume, masterSwing;
  if (!reader.Read(displayedStep) || !reader.Read(selectedDrum) || !reader.Read(mode) || !reader.Read(octave) ||
      !reader.Read(pattern) || !reader.Read(masterVolume) || !reader.Read(masterSwing))
    return -1;
  // The selections index the pattern memory and the button groups.
  state.mDisplayedStep = std::clamp(displayedStep, 0, kNumSteps - 1);
  state.mSelectedDrum = std::clamp(selectedDrum, 0, kNumDrums - 1);
  state.mMode = mode >= kModeStop && mode <= kModeMidi ? mode : kModeStop;
  state.mOctave = std::clamp(octave, 0, kNumOctaves - 1);
  state.mPattern = std::clamp(pattern, 0, kNumPatternsPerOctave - 1);
  state.mMasterVolume = plug.GetParam(kMasterVolume)->Constrain(masterVolume);
  state.mMasterSwing = plug.GetParam(kMasterSwing)->Constrain(masterSwing);

  for (int ch = 0; ch < kNumDrums; ++ch)
    if (!ReadChannel(reader, plug, ch, state.mChannels[static_cast<size_t>(ch)]))
      return -1;
  return reader.Position();
}
} // namespace

// Main thread. Every slot's path and sample are held still for the whole save (a reload when the
// host stops processing, or a button's load, waits for it), so the chunk is one consistent picture.
bool Krellbinder::SerializeState(IByteChunk& chunk) const
{
  std::vector<SampleSlot::HeldSample> held;
  held.reserve(mSlots.size());
  for (const SampleSlot& slot : mSlots)
    held.emplace_back(slot);

  int64_t total = kFixedPartBytes;
  for (const SampleSlot::HeldSample& sample : held)
  {
    const uint32_t size = sample.Size();
    total += 8 * (static_cast<int64_t>(sample.Path().size()) + 1) + 8 + kRecordFieldBytes;
    if (size > 0)
      total += 8 + 8 * static_cast<int64_t>(size);
  }
  if (static_cast<int64_t>(chunk.Size()) + total > kMaxChunkBytes)
    return false;
  chunk.Reserve(chunk.Size() + static_cast<int>(total));

  ChunkWriter writer(chunk);
  writer.Put(kStateVersion);
  writer.PutDoubles(kPatternValues, [this](size_t i) {
    const int drum = static_cast<int>(i / (kNumPatternSlots * kStepsPerSlot));
    const int slot = static_cast<int>(i / kStepsPerSlot % kNumPatternSlots);
    return mSequencer.GetStep(drum, slot, static_cast<int>(i % kStepsPerSlot)) ? 1.0 : 0.0;
  });
  writer.Put(mDisplayedStep.load(std::memory_order_relaxed));
  writer.Put(mSelectedDrum.load(std::memory_order_relaxed));
  writer.Put(mMode.load(std::memory_order_relaxed));
  writer.Put(mOctave.load(std::memory_order_relaxed));
  writer.Put(mPattern.load(std::memory_order_relaxed));
  writer.Put(mMasterVolume.load(std::memory_order_relaxed));
  writer.Put(mMasterSwing.load(std::memory_order_relaxed));

  for (size_t ch = 0; ch < mSlots.size(); ++ch)
  {
    const SampleSlot& slot = mSlots[ch];
    const SampleSlot::HeldSample& sample = held[ch];
    const std::u16string& path = sample.Path();
    writer.PutDoubles(path.size() + 1,
                      [&path](size_t i) { return i < path.size() ? static_cast<double>(path[i]) : 0.0; });
    const uint32_t size = sample.Size();
    TraceSampleCount(path, static_cast<double>(size));
    writer.Put(static_cast<double>(size));
    if (size > 0)
    {
      writer.Put(sample.NumChannels() == 2 ? 2.0 : 1.0);
      writer.PutBytes(sample.Data(), 8 * static_cast<int64_t>(size));
    }
    writer.Put(slot.mChannelState.load(std::memory_order_relaxed));
    writer.Put(slot.mPan.load(std::memory_order_relaxed));
    writer.Put(slot.mVolume.load(std::memory_order_relaxed));
    writer.Put(slot.mPitch.load(std::memory_order_relaxed));
    writer.Put(slot.mSwing.load(std::memory_order_relaxed) ? 1.0 : 0.0);
    writer.Put(slot.mLengthFraction.load(std::memory_order_relaxed));
  }
  return writer.Ok();
}

// Main thread. The whole chunk is read and checked before anything changes, so a rejected chunk leaves
// the plug-in as it was.
int Krellbinder::UnserializeState(const IByteChunk& chunk, int startPos)
{
  try
  {
    ChunkReader reader(chunk, startPos);
    double version;
    if (!reader.Read(version) || std::isnan(version))
      return -1;
    // A later version's layout is unknown: nothing past its version is read.
    if (version > kStateVersion)
      return reader.Position();

    auto stored = std::make_unique<StoredState>();
    const int end = ReadStoredState(reader, *this, *stored);
    if (end < 0)
      return -1;

    for (int drum = 0; drum < kNumDrums; ++drum)
      for (int slot = 0; slot < kNumPatternSlots; ++slot)
        for (int step = 0; step < kStepsPerSlot; ++step)
          mSequencer.SetStep(
            drum, slot, step,
            stored->mSteps[static_cast<size_t>((drum * kNumPatternSlots + slot) * kStepsPerSlot + step)] != 0);
    mDisplayedStep.store(stored->mDisplayedStep, std::memory_order_relaxed);
    mSelectedDrum.store(stored->mSelectedDrum, std::memory_order_relaxed);
    mMode.store(stored->mMode, std::memory_order_relaxed);
    mOctave.store(stored->mOctave, std::memory_order_relaxed);
    mPattern.store(stored->mPattern, std::memory_order_relaxed);
    mMasterVolume.store(stored->mMasterVolume, std::memory_order_relaxed);
    GetParam(kMasterVolume)->Set(stored->mMasterVolume);
    mMasterSwing.store(stored->mMasterSwing, std::memory_order_relaxed);
    GetParam(kMasterSwing)->Set(stored->mMasterSwing);

    for (int ch = 0; ch < kNumDrums; ++ch)
    {
      StoredChannel& channel = stored->mChannels[static_cast<size_t>(ch)];
      SampleSlot& slot = mSlots[static_cast<size_t>(ch)];
      TraceSampleCount(channel.mPath, channel.mStoredCount);
      // The fraction goes first, so that the play length set by the buffer exchange already follows it.
      slot.mLengthFraction.store(channel.mLengthFraction);
      if (channel.mBuffer)
      {
        // The reload fills the slot's decoded file from disk; the stored samples then replace what it
        // loaded, so the channel sounds as it was saved even when the file has changed or gone.
        slot.RestoreSample(std::move(channel.mPath), std::move(channel.mBuffer), channel.mSize, channel.mNumChannels);
      }
      else
      {
        // A channel saved without a sample is restored without one.
        slot.ClearSample(std::move(channel.mPath));
      }
      slot.mChannelState.store(channel.mChannelState, std::memory_order_relaxed);
      slot.mPan.store(channel.mPan, std::memory_order_relaxed);
      GetParam(kPanKnob + ch)->Set(channel.mPan);
      slot.mVolume.store(channel.mVolume, std::memory_order_relaxed);
      GetParam(kVolumeKnob + ch)->Set(channel.mVolume);
      // The gains follow the restored pan and volume (the pan rule reads both).
      OnParamChange(kPanKnob + ch);
      slot.mPitch.store(channel.mPitch, std::memory_order_relaxed);
      GetParam(kPitchKnob + ch)->Set(static_cast<double>(channel.mPitch));
      slot.mSwing.store(channel.mSwing, std::memory_order_relaxed);
      GetParam(kSwingButton + ch)->Set(channel.mSwing ? 1.0 : 0.0);
      GetParam(kLengthKnob + ch)->Set(channel.mLengthFraction);
      // The length rule on the frames that the channel now plays.
      slot.SetLengthFraction(channel.mLengthFraction);
    }
    // The buttons show the restored state (the framework then shows every parameter in the editor
    // and has the host read them all again); the solo and mute lamps follow the channel states,
    // which light a mute lamp for a channel that a solo silences too.
    ShowStateInButtons();
    mChannelStateSender.PushData(CurrentChannelStates());
    return end;
  }
  catch (const std::exception&)
  {
    return -1;
  }
}
