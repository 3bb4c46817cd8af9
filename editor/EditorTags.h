#pragma once

// The editor's control tags: the first tag of each run of controls; control k of a run has the
// run's tag + k. The tags run from 0 to 207 without a gap.
//
// Switches carry their parameter's index, except that the previous-sample and next-sample buttons
// carry each other's (the previous-sample button of channel ch, parameter 56 + ch, has tag 68 + ch).
// The sample-name labels (122-133) have no parameter, so the pattern buttons, the swing buttons and
// the knobs after them carry their parameter's index + 12.
enum ECtrlTags
{
  kCtrlTagLed = 0,
  kCtrlTagBrowse = 16,
  kCtrlTagStep = 28,
  kCtrlTagDrumSelect = 44,
  kCtrlTagNextSample = 56,
  kCtrlTagPrevSample = 68,
  kCtrlTagMode = 80,
  kCtrlTagOctave = 84,
  kCtrlTagPlay = 86,
  kCtrlTagSolo = 98,
  kCtrlTagMute = 110,
  kCtrlTagSampleName = 122,
  kCtrlTagPattern = 134,
  kCtrlTagPanKnob = 146,
  kCtrlTagVolumeKnob = 158,
  kCtrlTagPitchKnob = 170,
  kCtrlTagSwing = 182,
  kCtrlTagLengthKnob = 194,
  kCtrlTagMasterVolume = 206,
  kCtrlTagMasterSwing = 207,
  kNumCtrlTags = 208
};
