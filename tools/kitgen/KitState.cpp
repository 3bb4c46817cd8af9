#include "KitState.h"

#include <cstring>
#include <fstream>

namespace kitgen
{
namespace
{
template <class T>
void Put(std::vector<uint8_t>& out, T value)
{
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T)); // little-endian on every target
  out.insert(out.end(), bytes, bytes + sizeof(T));
}
} // namespace

std::vector<uint8_t> EncodeState(const KitState& state)
{
  std::vector<uint8_t> out;
  Put(out, 3.0);
  for (const auto& drum : state.mPatterns)
    for (const auto& slot : drum)
      for (uint8_t step : slot)
        Put(out, step ? 1.0 : 0.0);
  Put(out, state.mDisplayedStep);
  Put(out, state.mSelectedDrum);
  Put(out, state.mMode);
  Put(out, state.mOctave);
  Put(out, state.mPattern);
  Put(out, state.mMasterVolume);
  Put(out, state.mMasterSwing);
  for (const KitChannel& channel : state.mChannels)
  {
    for (char16_t unit : channel.mPath)
      Put(out, static_cast<double>(unit));
    Put(out, 0.0);
    Put(out, static_cast<double>(channel.mSamples.size()));
    if (!channel.mSamples.empty())
    {
      Put(out, static_cast<double>(channel.mNumChannels));
      for (double v : channel.mSamples)
        Put(out, v);
    }
    Put(out, channel.mChannelState);
    Put(out, channel.mPan);
    Put(out, channel.mVolume);
    Put(out, channel.mPitch);
    Put(out, channel.mSwing ? 1.0 : 0.0);
    Put(out, channel.mLength);
  }
  Put(out, static_cast<int32_t>(state.mBypassed ? 1 : 0));
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}
} // namespace kitgen
