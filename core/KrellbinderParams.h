#pragma once

#include <cstdint>

// The plug-in's parameters, by index. The first index of each group is named; the rest follow.
enum EParams
{
  kLedButton = 0,             // 16 step LEDs
  kFolderButton = 16,         // 12 browse buttons
  kSequencerButton = 28,      // 16 steps of the shown row
  kSelectedDrumButton = 44,   // 12 drum choices
  kPreviousSampleButton = 56, // 12
  kNextSampleButton = 68,     // 12
  kModeButton = 80,           // 4 modes
  kOctaveButton = 84,         // 2 octaves
  kPlayButton = 86,           // 12
  kSoloButton = 98,           // 12
  kMuteButton = 110,          // 12
  kPatternButton = 122,       // 12 patterns
  kPanKnob = 134,             // 12
  kVolumeKnob = 146,          // 12
  kPitchKnob = 158,           // 12
  kSwingButton = 170,         // 12
  kLengthKnob = 182,          // 12
  kMasterVolume = 194,
  kMasterSwing = 195,
  kNumParams = 196
};

static constexpr int kNumDrums = 12;
static constexpr int kNumSteps = 16;
static constexpr int kNumModes = 4;
static constexpr int kNumOctaves = 2;
static constexpr int kNumPatternsPerOctave = 12;

// Whether a parameter index lies in the group of `count` parameters that starts at `first`.
constexpr bool InGroup(int paramIdx, int first, int count) { return paramIdx >= first && paramIdx < first + count; }

// A selection (drum, mode, octave, pattern) as an index below `count`. The selection fields take what
// the editor's groups receive, so one may hold a value out of range; it reads as 0, so that nothing is
// read from outside the pattern memory.
constexpr int32_t InRange(int32_t value, int32_t count) { return value >= 0 && value < count ? value : 0; }

// The buttons that act when pressed and hold no value of their own: browse, previous and next sample,
// play.
constexpr bool IsMomentaryButton(int paramIdx)
{
  return InGroup(paramIdx, kFolderButton, kNumDrums) || InGroup(paramIdx, kPreviousSampleButton, kNumDrums) ||
         InGroup(paramIdx, kNextSampleButton, kNumDrums) || InGroup(paramIdx, kPlayButton, kNumDrums);
}
