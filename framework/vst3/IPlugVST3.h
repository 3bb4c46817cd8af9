#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "../plugin/IPlugAPIBase.h"
#include "../plugin/IPlugProcessor.h"
#include "HostRunLoopTimer.h"
#include "VST3Sdk.h"

// A plug-in as one VST3 object: component, audio processor and edit controller in one (a
// single-component effect), with a MIDI controller mapping.
class IPlugVST3 : public IPlugAPIBase,
                  public IPlugProcessor,
                  public Steinberg::Vst::IComponent,
                  public Steinberg::Vst::IAudioProcessor,
                  public Steinberg::Vst::IProcessContextRequirements,
                  public Steinberg::Vst::IEditController,
                  public Steinberg::Vst::IMidiMapping
{
public:
  // Parameter IDs beside the plug-in's own (which are their indices).
  static constexpr Steinberg::Vst::ParamID kBypassParamID = 0x62706173; // 'bpas'
  static constexpr Steinberg::Vst::ParamID kMidiCCParamStartID = 0x4D494400;
  static constexpr int kNumMidiCCParams = Steinberg::Vst::kCountCtrlNumber; // 128 controllers, aftertouch, pitch bend

  explicit IPlugVST3(const InstanceInfo& info, const Config& config);
  ~IPlugVST3() override;

  // FUnknown
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

  // IPluginBase (of the component and of the controller alike)
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  Steinberg::tresult PLUGIN_API terminate() override;

  // IComponent
  Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
  Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) override;
  Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                           Steinberg::int32 index, Steinberg::Vst::BusInfo& bus) override;
  Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                               Steinberg::Vst::RoutingInfo& outInfo) override;
  Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                            Steinberg::int32 index, Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
  // Shared by IComponent and IEditController: the one state of the single object.
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;

  // IAudioProcessor
  Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                                   Steinberg::Vst::SpeakerArrangement* outputs,
                                                   Steinberg::int32 numOuts) override;
  Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                  Steinberg::Vst::SpeakerArrangement& arr) override;
  Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
  Steinberg::uint32 PLUGIN_API getLatencySamples() override;
  Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  Steinberg::uint32 PLUGIN_API getTailSamples() override;

  // IProcessContextRequirements
  Steinberg::uint32 PLUGIN_API getProcessContextRequirements() override;

  // IEditController
  Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
  Steinberg::int32 PLUGIN_API getParameterCount() override;
  Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                 Steinberg::Vst::ParameterInfo& info) override;
  Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                      Steinberg::Vst::ParamValue valueNormalized,
                                                      Steinberg::Vst::String128 string) override;
  Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                                                      Steinberg::Vst::ParamValue& valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue plainValue) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                   Steinberg::Vst::ParamValue value) override;
  Steinberg::tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // IMidiMapping
  Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex, Steinberg::int16 channel,
                                                            Steinberg::Vst::CtrlNumber midiControllerNumber,
                                                            Steinberg::Vst::ParamID& id) override;

  // Editor and plug-in to host.
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override;
  void EndInformHostOfParamChangeFromUI(int paramIdx) override;
  void InformHostOfParamValuesChanged() override;
  Steinberg::Vst::IComponentHandler* GetComponentHandler() const { return mComponentHandler; }
  Steinberg::FUnknown* GetHostContext() const { return mHostContext; }

protected:
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void SendPendingHostNotices() override;

private:
  struct Bus
  {
    int channels = 0;
    bool active = false;
  };

  void DeclareBuses();
  void UpdateConnectedChannels(const Steinberg::Vst::ProcessData& data);
  void ReadProcessContext(const Steinberg::Vst::ProcessContext* context);
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  // The host's notes to ProcessMidiMsg, or to ProcessBypassedMidiMsg while bypassed.
  void ReadEvents(Steinberg::Vst::IEventList* events, bool bypassed);
  void RenderChunk(Steinberg::Vst::ProcessData& data, int startFrame, int nFrames);
  void WriteSilence(Steinberg::Vst::ProcessData& data);
  void SetSilenceFlags(Steinberg::Vst::ProcessData& data);

  // Whether the parameter keeps whatever value the host writes: not one that rounds to its steps, nor
  // one that shows the plug-in's state.
  bool KeepsEveryValue(int paramIdx) const;

  // Lets go of the host context's run loop before the context itself.
  void StopHostRunLoopTimer();

  std::atomic<Steinberg::uint32> mRefCount{1};
  int mInitializeCount = 0;
  Steinberg::FUnknown* mHostContext = nullptr;
  // From initialize to terminate: the idle tick from the run loop that the host context offers, if any.
  std::unique_ptr<HostRunLoopTimer> mHostRunLoopTimer;
  Steinberg::Vst::IComponentHandler* mComponentHandler = nullptr;
  // The host is never called back from inside one of its own calls (HostCallScope): what the
  // plug-in has to tell it meanwhile becomes one request to read every value again, sent at the next
  // idle tick. Atomic because a host may restore a state on a thread of its own beside the tick.
  std::atomic<bool> mParamValuesChangedPending{false};

  std::vector<Bus> mAudioOutBuses;
  std::vector<Bus> mAudioInBuses;
  std::vector<std::string> mOutBusNames;
  std::vector<std::string> mInBusNames;

  // Scratch buffers of doubles that ProcessBlock renders into, sized in setupProcessing.
  int mMaxBlockSize = 0;
  int mSampleSize = Steinberg::Vst::kSample32;
  std::vector<double> mScratch;
  std::vector<double*> mOutputPtrs;
  std::vector<double*> mInputPtrs;
  // Set by the host's main thread (setParamNormalized) and by process (mapped controllers).
  std::vector<std::atomic<double>> mMidiCCValues;
};
