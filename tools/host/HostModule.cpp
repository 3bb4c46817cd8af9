#include "HostModule.h"

#include "HostStrings.h"
#include "ModulePlatform.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cstring>

using namespace Steinberg;

namespace krb::host
{

namespace
{
using GetFactoryFunc = IPluginFactory*(PLUGIN_API*)();

bool IsDecimal(const std::string& text)
{
  if (text.empty() || text.size() > 9)
    return false;
  for (const char c : text)
    if (c < '0' || c > '9')
      return false;
  return true;
}
} // namespace

namespace platform
{
std::filesystem::path BundleBinaryPath(const std::filesystem::path& bundle)
{
  std::error_code ec;
  if (!std::filesystem::is_directory(bundle, ec))
    return bundle;
  std::filesystem::path name = bundle.filename();
  if (name.empty())
    name = bundle.parent_path().filename();
  return bundle / "Contents" / BundleArchitecture() / name.replace_extension(BundleBinarySuffix());
}
} // namespace platform

std::shared_ptr<HostModule> HostModule::Load(const std::filesystem::path& bundle, std::string& error)
{
  std::shared_ptr<HostModule> module(new HostModule);
  module->mBundlePath = bundle;
  module->mBinaryPath = platform::BundleBinaryPath(bundle);

  std::error_code ec;
  if (!std::filesystem::exists(module->mBinaryPath, ec))
  {
    error = "no module binary at " + PathToUtf8(module->mBinaryPath);
    return nullptr;
  }
  std::string reason;
  module->mLibrary = platform::OpenLibrary(module->mBinaryPath, reason);
  if (module->mLibrary == nullptr)
  {
    error = "cannot load " + PathToUtf8(module->mBinaryPath) + ": " + reason;
    return nullptr;
  }
  if (!platform::EnterModule(module->mLibrary, module->mEntryName, reason))
  {
    error = "cannot enter " + PathToUtf8(module->mBinaryPath) + ": " + reason;
    return nullptr;
  }
  module->mEntered = true;

  auto getFactory = reinterpret_cast<GetFactoryFunc>(platform::FindSymbol(module->mLibrary, "GetPluginFactory"));
  if (getFactory == nullptr)
  {
    error = PathToUtf8(module->mBinaryPath) + " does not export GetPluginFactory";
    return nullptr;
  }
  module->mFactory = getFactory();
  if (module->mFactory == nullptr)
  {
    error = "GetPluginFactory of " + PathToUtf8(module->mBinaryPath) + " returned no factory";
    return nullptr;
  }
  module->mHostContext = new HostApplication;
  if (!module->ReadFactory(error))
    return nullptr;
  return module;
}

HostModule::~HostModule()
{
  if (mFactory != nullptr)
    mFactory->release();
  mFactory = nullptr;
  if (mEntered)
    platform::ExitModule(mLibrary);
  if (mLibrary != nullptr)
    platform::CloseLibrary(mLibrary);
  // Released last: a plug-in may still hold the context until its module exits.
  if (mHostContext != nullptr)
    mHostContext->release();
}

void* HostModule::FindExport(const char* name) const
{
  return mLibrary != nullptr ? platform::FindSymbol(mLibrary, name) : nullptr;
}

bool HostModule::ReadFactory(std::string& error)
{
  PFactoryInfo info;
  if (mFactory->getFactoryInfo(&info) != kResultOk)
  {
    error = "getFactoryInfo failed";
    return false;
  }
  mInfo.mVendor = FixedToString(info.vendor);
  mInfo.mUrl = FixedToString(info.url);
  mInfo.mEmail = FixedToString(info.email);
  mInfo.mFlags = info.flags;

  IPtr<IPluginFactory2> factory2;
  IPtr<IPluginFactory3> factory3;
  {
    void* obj = nullptr;
    if (mFactory->queryInterface(IPluginFactory3::iid, &obj) == kResultOk && obj != nullptr)
      factory3 = owned(static_cast<IPluginFactory3*>(obj));
    obj = nullptr;
    if (mFactory->queryInterface(IPluginFactory2::iid, &obj) == kResultOk && obj != nullptr)
      factory2 = owned(static_cast<IPluginFactory2*>(obj));
  }
  if (factory3)
    factory3->setHostContext(static_cast<Vst::IHostApplication*>(mHostContext));

  const int32 count = mFactory->countClasses();
  for (int32 i = 0; i < count; ++i)
  {
    ClassInfo entry;
    entry.mIndex = static_cast<int>(i);
    PClassInfoW infoW;
    PClassInfo2 info2;
    PClassInfo info1;
    if (factory3 && factory3->getClassInfoUnicode(i, &infoW) == kResultOk)
    {
      std::memcpy(entry.mCid, infoW.cid, sizeof(TUID));
      entry.mCardinality = infoW.cardinality;
      entry.mCategory = FixedToString(infoW.category);
      entry.mName = Utf16ToUtf8(infoW.name);
      entry.mInfoVersion = 3;
      entry.mClassFlags = infoW.classFlags;
      entry.mSubCategories = FixedToString(infoW.subCategories);
      entry.mVendor = Utf16ToUtf8(infoW.vendor);
      entry.mVersion = Utf16ToUtf8(infoW.version);
      entry.mSdkVersion = Utf16ToUtf8(infoW.sdkVersion);
    }
    else if (factory2 && factory2->getClassInfo2(i, &info2) == kResultOk)
    {
      std::memcpy(entry.mCid, info2.cid, sizeof(TUID));
      entry.mCardinality = info2.cardinality;
      entry.mCategory = FixedToString(info2.category);
      entry.mName = FixedToString(info2.name);
      entry.mInfoVersion = 2;
      entry.mClassFlags = info2.classFlags;
      entry.mSubCategories = FixedToString(info2.subCategories);
      entry.mVendor = FixedToString(info2.vendor);
      entry.mVersion = FixedToString(info2.version);
      entry.mSdkVersion = FixedToString(info2.sdkVersion);
    }
    else if (mFactory->getClassInfo(i, &info1) == kResultOk)
    {
      std::memcpy(entry.mCid, info1.cid, sizeof(TUID));
      entry.mCardinality = info1.cardinality;
      entry.mCategory = FixedToString(info1.category);
      entry.mName = FixedToString(info1.name);
    }
    else
    {
      error = "getClassInfo failed for class " + std::to_string(i);
      return false;
    }
    entry.mCidHex = CidToHex(entry.mCid);
    mClasses.push_back(entry);
  }
  return true;
}

const ClassInfo* HostModule::FindClass(const std::string& selector, std::string& error) const
{
  if (selector.empty())
  {
    for (const ClassInfo& info : mClasses)
      if (info.mCategory == kVstAudioEffectClass)
        return &info;
    error = "the factory has no \"" kVstAudioEffectClass "\"";
    return nullptr;
  }
  if (IsDecimal(selector))
  {
    const int index = std::stoi(selector);
    if (index < static_cast<int>(mClasses.size()))
      return &mClasses[static_cast<std::size_t>(index)];
    error = "no class with index " + selector + " (the factory has " + std::to_string(mClasses.size()) + ")";
    return nullptr;
  }
  alignas(8) TUID cid;
  if (HexToCid(selector, cid))
  {
    if (const ClassInfo* info = FindClass(cid))
      return info;
  }
  for (const ClassInfo& info : mClasses)
    if (info.mName == selector)
      return &info;
  error = "no class \"" + selector + "\" in the factory";
  return nullptr;
}

const ClassInfo* HostModule::FindClass(const TUID cid) const
{
  for (const ClassInfo& info : mClasses)
    if (IidEqual(info.mCid, cid))
      return &info;
  return nullptr;
}

std::string FactoryFlagsText(int32 flags)
{
  std::string text;
  auto add = [&text](const char* name) {
    if (!text.empty())
      text += ", ";
    text += name;
  };
  if (flags & PFactoryInfo::kClassesDiscardable)
    add("ClassesDiscardable");
  if (flags & PFactoryInfo::kLicenseCheck)
    add("LicenseCheck");
  if (flags & PFactoryInfo::kComponentNonDiscardable)
    add("ComponentNonDiscardable");
  if (flags & PFactoryInfo::kUnicode)
    add("Unicode");
  return text.empty() ? "none" : text;
}

std::string CardinalityText(int32 cardinality)
{
  if (cardinality == PClassInfo::kManyInstances)
    return "many instances";
  return std::to_string(cardinality);
}

} // namespace krb::host
