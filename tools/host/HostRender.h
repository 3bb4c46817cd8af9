#pragma once
// Offline rendering: activates the buses, sets up processing, plays notes and parameter changes
// at their frames through fixed-size blocks, and collects every output bus.

#include "HostPlugin.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace krb::host
{

struct NoteSpec
{
  std::int64_t mFrame = 0;
  Steinberg::int16 mPitch = 60;
  float mVelocity = 1.0f;    // 0..1
  std::int64_t mLength = -1; // frames until the note-off; -1 holds it to the last frame
  Steinberg::int16 mChannel = 0;
};

struct ParamSpec
{
  Steinberg::Vst::ParamID mId = 0;
  Steinberg::Vst::ParamValue mValue = 0; // normalised
  std::int64_t mFrame = 0;
};

enum class EBusActivation
{
  kAll,
  kDefault,
  kList // the audio output buses in RenderOptions::mActiveBuses (every event bus stays active)
};

struct RenderOptions
{
  double mSampleRate = 44100.0;
  Steinberg::int32 mBlockSize = 512;
  std::int64_t mFrames = 0;
  Steinberg::int32 mSampleSize = Steinberg::Vst::kSample32;
  Steinberg::int32 mProcessMode = Steinberg::Vst::kOffline;
  double mTempo = 120.0;
  bool mPlaying = true;
  Steinberg::int32 mTimeSigNumerator = 4;
  Steinberg::int32 mTimeSigDenominator = 4;
  std::vector<NoteSpec> mNotes;
  std::vector<ParamSpec> mParams;
  EBusActivation mActivation = EBusActivation::kAll;
  std::vector<Steinberg::int32> mActiveBuses;
};

struct RenderedBus
{
  std::string mName;
  bool mActive = false;
  std::vector<std::vector<double>> mChannels; // each mFrames long
};

struct RenderResult
{
  std::int64_t mFrames = 0;
  std::vector<RenderedBus> mBuses;
  // Every output channel of every bus, in bus order (e.g. 24 for 12 stereo buses).
  std::vector<const std::vector<double>*> AllChannels() const;
};

// The plug-in must be initialized and inactive; it is left initialized and inactive.
bool Render(HostPlugin& plugin, const RenderOptions& options, RenderResult& result, std::string& error);

} // namespace krb::host
