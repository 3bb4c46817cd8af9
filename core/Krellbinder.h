#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>

#include "EditorSenders.h"
#include "KrellbinderParams.h"
#include "SampleSlot.h"
#include "StepSequencer.h"
#include "plugin/IMidiQueue.h"
#include "vst3/IPlugVST3.h"

enum ESeqMode
{
  kModeStop = 0,
  kModeRun = 1,
  kModeHostSync = 2,
  kModeMidi = 3
};

enum EChannelState
{
  kChannelNormal = 0,
  kChannelMuted = 1,
  kChannelSilencedBySolo = 2,
  kChannelSoloed = 3
};

// The drum instrument: twelve sample channels, a 16-step sequencer and the editor's state.
//
// Fields that the audio thread shares with the main thread are single atomic values, read and written
// whole with relaxed order.
class Krellbinder final : public IPlugVST3
{
public:
  explicit Krellbinder(const InstanceInfo& info);
  ~Krellbinder() override;

  void OnUIOpen() override;
  void OnUIClose() override;
  bool GetParamValueFromState(int paramIdx, double& value) const override;
  void OnParamChange(int paramIdx) override;
  void OnParamChangeUI(int paramIdx, EParamSource source) override;
  IGraphics* CreateGraphics() override;
  bool SerializeState(IByteChunk& chunk) const override;
  int UnserializeState(const IByteChunk& chunk, int startPos) override;
  bool OnHostRequestingSupportedViewConfiguration(int width, int height) override;
  void OnIdle() override;

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(const IMidiMsg& msg) override;
  void ProcessBypassedMidiMsg(const IMidiMsg& msg) override;
  void OnReset() override;
  void GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const override;

  double mGuiSize = 1.0;
  std::atomic<int32_t> mSelectedDrum{0};
  std::atomic<int32_t> mDisplayedStep{0};
  std::atomic<int32_t> mMode{kModeStop};
  std::atomic<int32_t> mOctave{0};
  std::atomic<int32_t> mPattern{0};
  std::atomic<double> mMasterVolume{0.8};
  std::atomic<double> mMasterSwing{0.5};
  StepSequencer mSequencer;
  IntSender mStepLedSender{1};
  IntSender mDrumSelectSender{1};
  IntSender mModeSender{1};
  TwoProducerSender<IntSender> mOctaveSender;
  TwoProducerSender<IntSender> mPatternSender;
  TwoProducerSender<StepRowSender> mStepRowSender;
  ChannelStateSender mChannelStateSender{1};
  std::array<SampleSlot, kNumDrums> mSlots;
  IMidiQueue mMidiQueue{IMidiQueue::kGrowBy};

  // The records of the shown step row and of the twelve channel states, as the editor takes them. Any
  // thread, the audio thread included: relaxed loads only.
  StepRowSender::Data CurrentStepRow() const;
  ChannelStateSender::Data CurrentChannelStates() const;

private:
  using ParamSet = std::bitset<kNumParams>;

  // By parameter, for the momentary buttons: pressed in the editor and not yet released. Written on
  // the editor's thread, read on any.
  std::array<std::atomic<bool>, kPanKnob> mHeldInEditor{};

  void InitParams();
  // The button parameters show the state they act on (ButtonParams.cpp): the ones that did not and
  // were set, and what follows a reaction (the host and the editor's controls told).
  ParamSet ShowStateInButtons();
  void ShowMovedButtonsInEditor(const ParamSet& moved, int except);
  void ButtonsFollowTheState(int paramIdx, EParamSource source);
  // Takes the queue's record as a notice and delivers the record that makeRecord makes now.
  template <class Sender, class MakeRecord>
  void DeliverCurrent(Sender& sender, MakeRecord makeRecord);
};
