#include "HostPlugin.h"

#include "HostStrings.h"
#include "MemoryStream.h"

#include <cstring>

using namespace Steinberg;

namespace krb::host
{

namespace
{
bool IsNullCid(const TUID cid)
{
  for (std::size_t i = 0; i < sizeof(TUID); ++i)
    if (cid[i] != 0)
      return false;
  return true;
}
} // namespace

std::unique_ptr<HostPlugin> HostPlugin::Create(std::shared_ptr<HostModule> module, const ClassInfo& info,
                                               std::string& error)
{
  std::unique_ptr<HostPlugin> plugin(new HostPlugin);
  plugin->mModule = std::move(module);
  plugin->mClass = info;
  plugin->mHandler = new ComponentHandler;

  void* obj = nullptr;
  const tresult created = plugin->mModule->Factory()->createInstance(info.mCid, Vst::IComponent::iid, &obj);
  if (created != kResultOk || obj == nullptr)
  {
    error = "createInstance of class \"" + info.mName + "\" (" + info.mCidHex + ") as IComponent failed";
    return nullptr;
  }
  plugin->mComponent = static_cast<Vst::IComponent*>(obj);
  obj = nullptr;
  if (plugin->mComponent->queryInterface(Vst::IAudioProcessor::iid, &obj) != kResultOk || obj == nullptr)
  {
    error = "class \"" + info.mName + "\" does not implement IAudioProcessor";
    return nullptr;
  }
  plugin->mProcessor = static_cast<Vst::IAudioProcessor*>(obj);
  return plugin;
}

std::unique_ptr<HostPlugin> HostPlugin::Open(const std::filesystem::path& bundle, const std::string& classSelector,
                                             std::string& error)
{
  std::shared_ptr<HostModule> module = HostModule::Load(bundle, error);
  if (!module)
    return nullptr;
  const ClassInfo* info = module->FindClass(classSelector, error);
  if (info == nullptr)
    return nullptr;
  std::unique_ptr<HostPlugin> plugin = Create(module, *info, error);
  if (!plugin || !plugin->Initialize(error))
    return nullptr;
  return plugin;
}

HostPlugin::~HostPlugin()
{
  Terminate();
  if (mProcessor != nullptr)
    mProcessor->release();
  if (mComponent != nullptr)
    mComponent->release();
  if (mHandler != nullptr)
    mHandler->release();
  // The module (held by mModule) is released after this, so it outlives every interface above.
}

bool HostPlugin::Initialize(std::string& error)
{
  if (mInitialized)
    return true;
  FUnknown* context = static_cast<Vst::IHostApplication*>(mModule->HostContext());
  const tresult result = mComponent->initialize(context);
  if (result != kResultOk)
  {
    error = "initialize of the component failed (result " + std::to_string(result) + ")";
    return false;
  }
  mInitialized = true;
  mBusActive.clear();

  void* obj = nullptr;
  if (mComponent->queryInterface(Vst::IEditController::iid, &obj) == kResultOk && obj != nullptr)
  {
    mController = static_cast<Vst::IEditController*>(obj);
    mSingleComponent = true;
  }
  else
  {
    mSingleComponent = false;
    alignas(8) TUID controllerCid = {};
    if (mComponent->getControllerClassId(controllerCid) == kResultOk && !IsNullCid(controllerCid))
    {
      obj = nullptr;
      if (mModule->Factory()->createInstance(controllerCid, Vst::IEditController::iid, &obj) != kResultOk ||
          obj == nullptr)
      {
        error = "createInstance of the controller class " + CidToHex(controllerCid) + " failed";
        Terminate();
        return false;
      }
      mController = static_cast<Vst::IEditController*>(obj);
      const tresult controllerResult = mController->initialize(context);
      if (controllerResult != kResultOk)
      {
        // A failed initialize means the object is released without terminate.
        mController->release();
        mController = nullptr;
        error = "initialize of the controller failed (result " + std::to_string(controllerResult) + ")";
        Terminate();
        return false;
      }
      mComponentConnection = QueryComponent<Vst::IConnectionPoint>();
      mControllerConnection = QueryController<Vst::IConnectionPoint>();
      if (mComponentConnection && mControllerConnection)
      {
        mComponentConnection->connect(mControllerConnection);
        mControllerConnection->connect(mComponentConnection);
      }
      else
      {
        mComponentConnection = nullptr;
        mControllerConnection = nullptr;
      }
    }
  }

  if (mController != nullptr)
  {
    mController->setComponentHandler(mHandler);
    std::vector<std::uint8_t> state;
    if (GetState(state) == kResultOk)
      SetComponentStateOnController(state);
  }
  return true;
}

void HostPlugin::ReleaseController()
{
  if (mController == nullptr)
    return;
  if (mComponentConnection && mControllerConnection)
  {
    mComponentConnection->disconnect(mControllerConnection);
    mControllerConnection->disconnect(mComponentConnection);
  }
  mComponentConnection = nullptr;
  mControllerConnection = nullptr;
  mController->setComponentHandler(nullptr);
  if (!mSingleComponent)
    mController->terminate();
  mController->release();
  mController = nullptr;
}

void HostPlugin::Terminate()
{
  if (!mInitialized)
    return;
  if (mProcessing)
    SetProcessing(false);
  if (mActive)
    SetActive(false);
  ReleaseController();
  mComponent->terminate();
  mInitialized = false;
  mSingleComponent = false;
  mBusActive.clear();
}

int32 HostPlugin::BusCount(Vst::MediaType type, Vst::BusDirection dir) const
{
  return mComponent->getBusCount(type, dir);
}

std::vector<BusDesc> HostPlugin::Buses(Vst::MediaType type, Vst::BusDirection dir) const
{
  std::vector<BusDesc> buses;
  const int32 count = BusCount(type, dir);
  for (int32 i = 0; i < count; ++i)
  {
    Vst::BusInfo info{};
    BusDesc bus;
    bus.mIndex = i;
    bus.mMediaType = type;
    bus.mDirection = dir;
    if (mComponent->getBusInfo(type, dir, i, info) == kResultOk)
    {
      bus.mName = Utf16ToUtf8(info.name);
      bus.mChannelCount = info.channelCount;
      bus.mBusType = info.busType;
      bus.mFlags = info.flags;
    }
    if (type == Vst::kAudio)
    {
      Vst::SpeakerArrangement arrangement = 0;
      if (mProcessor->getBusArrangement(dir, i, arrangement) == kResultOk)
      {
        bus.mHasArrangement = true;
        bus.mArrangement = arrangement;
      }
    }
    buses.push_back(bus);
  }
  return buses;
}

tresult HostPlugin::ActivateBus(Vst::MediaType type, Vst::BusDirection dir, int32 index, bool state)
{
  const tresult result = mComponent->activateBus(type, dir, index, state);
  if (result == kResultOk)
    mBusActive[{type, dir, index}] = state;
  return result;
}

bool HostPlugin::IsBusActive(Vst::MediaType type, Vst::BusDirection dir, int32 index) const
{
  auto it = mBusActive.find({type, dir, index});
  return it != mBusActive.end() && it->second;
}

tresult HostPlugin::ActivateBuses(EBusSelection selection)
{
  tresult first = kResultOk;
  for (Vst::MediaType type : {Vst::kAudio, Vst::kEvent})
  {
    for (Vst::BusDirection dir : {Vst::kInput, Vst::kOutput})
    {
      const int32 count = BusCount(type, dir);
      for (int32 i = 0; i < count; ++i)
      {
        bool state = selection == EBusSelection::kAll;
        if (selection == EBusSelection::kDefault)
        {
          Vst::BusInfo info{};
          state =
            mComponent->getBusInfo(type, dir, i, info) == kResultOk && (info.flags & Vst::BusInfo::kDefaultActive) != 0;
        }
        const tresult result = ActivateBus(type, dir, i, state);
        if (result != kResultOk && first == kResultOk)
          first = result;
      }
    }
  }
  return first;
}

tresult HostPlugin::SetBusArrangements(std::vector<Vst::SpeakerArrangement> inputs,
                                       std::vector<Vst::SpeakerArrangement> outputs)
{
  return mProcessor->setBusArrangements(inputs.empty() ? nullptr : inputs.data(), static_cast<int32>(inputs.size()),
                                        outputs.empty() ? nullptr : outputs.data(), static_cast<int32>(outputs.size()));
}

std::vector<ParamDesc> HostPlugin::Parameters() const
{
  std::vector<ParamDesc> params;
  if (mController == nullptr)
    return params;
  const int32 count = mController->getParameterCount();
  for (int32 i = 0; i < count; ++i)
  {
    Vst::ParameterInfo info{};
    if (mController->getParameterInfo(i, info) != kResultOk)
      continue;
    ParamDesc param;
    param.mIndex = i;
    param.mId = info.id;
    param.mTitle = Utf16ToUtf8(info.title);
    param.mShortTitle = Utf16ToUtf8(info.shortTitle);
    param.mUnits = Utf16ToUtf8(info.units);
    param.mStepCount = info.stepCount;
    param.mDefaultNormalized = info.defaultNormalizedValue;
    param.mUnitId = info.unitId;
    param.mFlags = info.flags;
    params.push_back(param);
  }
  return params;
}

std::optional<ParamDesc> HostPlugin::FindParameter(Vst::ParamID id) const
{
  for (const ParamDesc& param : Parameters())
    if (param.mId == id)
      return param;
  return std::nullopt;
}

std::optional<ParamDesc> HostPlugin::FindParameter(const std::string& title) const
{
  for (const ParamDesc& param : Parameters())
    if (param.mTitle == title)
      return param;
  return std::nullopt;
}

tresult HostPlugin::SetActive(bool state)
{
  const tresult result = mComponent->setActive(state);
  if (result == kResultOk)
    mActive = state;
  return result;
}

tresult HostPlugin::SetProcessing(bool state)
{
  const tresult result = mProcessor->setProcessing(state);
  // kNotImplemented is allowed: many plug-ins need no notice.
  if (result == kResultOk || result == kNotImplemented)
    mProcessing = state;
  return result;
}

tresult HostPlugin::GetState(std::vector<std::uint8_t>& data) const
{
  IPtr<MemoryStream> stream = owned(new MemoryStream);
  const tresult result = mComponent->getState(stream);
  data = stream->Data();
  return result;
}

tresult HostPlugin::SetState(const std::vector<std::uint8_t>& data)
{
  IPtr<MemoryStream> stream = owned(new MemoryStream(data));
  const tresult result = mComponent->setState(stream);
  if (result != kResultOk)
    return result;
  return SetComponentStateOnController(data);
}

tresult HostPlugin::SetComponentStateOnController(const std::vector<std::uint8_t>& data)
{
  if (mController == nullptr)
    return kResultOk;
  IPtr<MemoryStream> stream = owned(new MemoryStream(data));
  return mController->setComponentState(stream);
}

tresult HostPlugin::GetControllerState(std::vector<std::uint8_t>& data) const
{
  data.clear();
  if (mController == nullptr)
    return kNotInitialized;
  IPtr<MemoryStream> stream = owned(new MemoryStream);
  const tresult result = mController->getState(stream);
  data = stream->Data();
  return result;
}

tresult HostPlugin::SetControllerState(const std::vector<std::uint8_t>& data)
{
  if (mController == nullptr)
    return kNotInitialized;
  IPtr<MemoryStream> stream = owned(new MemoryStream(data));
  return mController->setState(stream);
}

std::string BusFlagsText(uint32 flags)
{
  std::string text;
  if (flags & Vst::BusInfo::kDefaultActive)
    text += "default active";
  if (flags & Vst::BusInfo::kIsControlVoltage)
    text += text.empty() ? "control voltage" : ", control voltage";
  return text.empty() ? "none" : text;
}

std::string ParamFlagsText(int32 flags)
{
  static const struct
  {
    int32 mFlag;
    const char* mName;
  } kNames[] = {
    {Vst::ParameterInfo::kCanAutomate, "automate"},     {Vst::ParameterInfo::kIsReadOnly, "read-only"},
    {Vst::ParameterInfo::kIsWrapAround, "wrap-around"}, {Vst::ParameterInfo::kIsList, "list"},
    {Vst::ParameterInfo::kIsHidden, "hidden"},          {Vst::ParameterInfo::kIsProgramChange, "program-change"},
    {Vst::ParameterInfo::kIsBypass, "bypass"},
  };
  std::string text;
  for (const auto& name : kNames)
  {
    if (flags & name.mFlag)
    {
      if (!text.empty())
        text += ", ";
      text += name.mName;
    }
  }
  return text.empty() ? "none" : text;
}

} // namespace krb::host
