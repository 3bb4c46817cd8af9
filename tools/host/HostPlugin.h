#pragma once
// One plug-in instance: its component and audio processor, its edit controller (the component
// itself for a single-component effect, else the controller class it names), buses, parameters,
// activation and state.

#include "ComponentHandler.h"
#include "HostModule.h"

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace krb::host
{

struct BusDesc
{
  Steinberg::int32 mIndex = 0;
  Steinberg::Vst::MediaType mMediaType = Steinberg::Vst::kAudio;
  Steinberg::Vst::BusDirection mDirection = Steinberg::Vst::kOutput;
  std::string mName;
  Steinberg::int32 mChannelCount = 0;
  Steinberg::Vst::BusType mBusType = Steinberg::Vst::kMain;
  Steinberg::uint32 mFlags = 0;
  // Audio buses: the result of getBusArrangement.
  bool mHasArrangement = false;
  Steinberg::Vst::SpeakerArrangement mArrangement = 0;
};

struct ParamDesc
{
  Steinberg::int32 mIndex = 0;
  Steinberg::Vst::ParamID mId = 0;
  std::string mTitle;
  std::string mShortTitle;
  std::string mUnits;
  Steinberg::int32 mStepCount = 0;
  Steinberg::Vst::ParamValue mDefaultNormalized = 0;
  Steinberg::Vst::UnitID mUnitId = 0;
  Steinberg::int32 mFlags = 0;
};

enum class EBusSelection
{
  kNone,    // every bus inactive
  kDefault, // the buses flagged kDefaultActive
  kAll      // every bus
};

class HostPlugin
{
public:
  // Creates the class's component (not yet initialized). Null with error on failure.
  static std::unique_ptr<HostPlugin> Create(std::shared_ptr<HostModule> module, const ClassInfo& info,
                                            std::string& error);
  // Loads the bundle, chooses the class (see HostModule::FindClass), creates and initializes it.
  static std::unique_ptr<HostPlugin> Open(const std::filesystem::path& bundle, const std::string& classSelector,
                                          std::string& error);
  ~HostPlugin();

  HostPlugin(const HostPlugin&) = delete;
  HostPlugin& operator=(const HostPlugin&) = delete;

  // initialize on the component, then finds or creates the edit controller, initializes it,
  // connects the two when they are separate, sets the component handler and hands the
  // component's state to the controller (setComponentState).
  bool Initialize(std::string& error);
  // Stops processing, deactivates, disconnects and terminates (the controller first). The
  // component object stays, so Initialize can run again.
  void Terminate();
  bool IsInitialized() const { return mInitialized; }

  HostModule& Module() const { return *mModule; }
  const ClassInfo& Class() const { return mClass; }
  ComponentHandler& Handler() const { return *mHandler; }

  Steinberg::Vst::IComponent* Component() const { return mComponent; }
  Steinberg::Vst::IAudioProcessor* Processor() const { return mProcessor; }
  // Null when the plug-in has no edit controller.
  Steinberg::Vst::IEditController* Controller() const { return mController; }
  // True when the component implements IEditController itself.
  bool IsSingleComponent() const { return mSingleComponent; }

  template <typename I>
  Steinberg::IPtr<I> QueryComponent() const
  {
    return Query<I>(mComponent);
  }
  template <typename I>
  Steinberg::IPtr<I> QueryController() const
  {
    return Query<I>(mController);
  }

  // Buses
  Steinberg::int32 BusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) const;
  std::vector<BusDesc> Buses(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) const;
  Steinberg::tresult ActivateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                 Steinberg::int32 index, bool state);
  bool IsBusActive(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, Steinberg::int32 index) const;
  // Applies the selection to every bus of both media types and directions; returns the first
  // failing result.
  Steinberg::tresult ActivateBuses(EBusSelection selection);
  Steinberg::tresult SetBusArrangements(std::vector<Steinberg::Vst::SpeakerArrangement> inputs,
                                        std::vector<Steinberg::Vst::SpeakerArrangement> outputs);

  // Parameters (from the controller; empty without one)
  std::vector<ParamDesc> Parameters() const;
  std::optional<ParamDesc> FindParameter(Steinberg::Vst::ParamID id) const;
  std::optional<ParamDesc> FindParameter(const std::string& title) const;

  // Activation and processing state
  Steinberg::tresult SetActive(bool state);
  Steinberg::tresult SetProcessing(bool state);
  bool IsActive() const { return mActive; }
  bool IsProcessing() const { return mProcessing; }

  // State: the component's getState/setState through a MemoryStream. SetState also hands the
  // state to the controller (setComponentState) and returns the first failing result.
  Steinberg::tresult GetState(std::vector<std::uint8_t>& data) const;
  Steinberg::tresult SetState(const std::vector<std::uint8_t>& data);
  Steinberg::tresult SetComponentStateOnController(const std::vector<std::uint8_t>& data);
  Steinberg::tresult GetControllerState(std::vector<std::uint8_t>& data) const;
  Steinberg::tresult SetControllerState(const std::vector<std::uint8_t>& data);

private:
  HostPlugin() = default;

  template <typename I>
  static Steinberg::IPtr<I> Query(Steinberg::FUnknown* object)
  {
    void* obj = nullptr;
    if (object != nullptr && object->queryInterface(I::iid, &obj) == Steinberg::kResultOk && obj != nullptr)
      return Steinberg::owned(static_cast<I*>(obj));
    return nullptr;
  }

  void ReleaseController();

  std::shared_ptr<HostModule> mModule;
  ClassInfo mClass;
  ComponentHandler* mHandler = nullptr;
  Steinberg::Vst::IComponent* mComponent = nullptr;
  Steinberg::Vst::IAudioProcessor* mProcessor = nullptr;
  Steinberg::Vst::IEditController* mController = nullptr;
  Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> mComponentConnection;
  Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> mControllerConnection;
  bool mSingleComponent = false;
  bool mInitialized = false;
  bool mActive = false;
  bool mProcessing = false;
  std::map<std::tuple<Steinberg::int32, Steinberg::int32, Steinberg::int32>, bool> mBusActive;
};

// Text of bus and parameter flags, for listings.
std::string BusFlagsText(Steinberg::uint32 flags);
std::string ParamFlagsText(Steinberg::int32 flags);

} // namespace krb::host
