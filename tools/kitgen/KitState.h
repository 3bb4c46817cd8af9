#pragma once

// Builds the plug-in's saved state as a host stores it: the state chunk (version 3.0: pattern
// memory, selections, master values, then per channel its path, sample data and settings) followed
// by the framework's bypass flag. The demo and the host-level tests hand it to the plug-in's
// setState to set up a kit, a pattern and a mode.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kitgen
{
struct KitChannel
{
  std::u16string mPath;         // UTF-16; empty: no file
  std::vector<double> mSamples; // interleaved when mNumChannels is 2; empty: no stored sample
  int32_t mNumChannels = 1;
  int32_t mChannelState = 0;
  double mPan = 0.5;
  double mVolume = 1.0;
  int32_t mPitch = 0;
  bool mSwing = false;
  double mLength = 1.0;
};

struct KitState
{
  // [drum][pattern slot][step], 1 on and 0 off.
  std::array<std::array<std::array<uint8_t, 128>, 24>, 12> mPatterns{};
  int32_t mDisplayedStep = 0;
  int32_t mSelectedDrum = 0;
  int32_t mMode = 1; // Run
  int32_t mOctave = 0;
  int32_t mPattern = 0;
  double mMasterVolume = 1.0;
  double mMasterSwing = 0.0;
  std::array<KitChannel, 12> mChannels;
  bool mBypassed = false;
};

// The bytes that the plug-in's getState would write for this state.
std::vector<uint8_t> EncodeState(const KitState& state);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
} // namespace kitgen
