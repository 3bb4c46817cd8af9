#pragma once
// Loading a VST3 module: the bundle's binary, its entry points (ModuleEntry/InitDll,
// GetPluginFactory, ModuleExit/ExitDll) and the factory's information.

#include "HostApplication.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/smartpointer.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace krb::host
{

struct FactoryInfo
{
  std::string mVendor;
  std::string mUrl;
  std::string mEmail;
  Steinberg::int32 mFlags = 0;
};

struct ClassInfo
{
  int mIndex = 0;
  // Aligned: plug-ins compare ids with the SDK's iidEqual, which reads them as uint64 values.
  alignas(8) Steinberg::TUID mCid = {};
  std::string mCidHex;
  Steinberg::int32 mCardinality = 0;
  std::string mCategory;
  std::string mName;
  // From PClassInfo2 or PClassInfoW (mInfoVersion 2 or 3); empty for a plain PClassInfo.
  int mInfoVersion = 1;
  Steinberg::uint32 mClassFlags = 0;
  std::string mSubCategories;
  std::string mVendor;
  std::string mVersion;
  std::string mSdkVersion;
};

class HostModule
{
public:
  // Loads a bundle folder (or a module binary given directly), calls its entry function and
  // GetPluginFactory and reads the factory's information. Null with error on failure.
  static std::shared_ptr<HostModule> Load(const std::filesystem::path& bundle, std::string& error);
  ~HostModule();

  HostModule(const HostModule&) = delete;
  HostModule& operator=(const HostModule&) = delete;

  Steinberg::IPluginFactory* Factory() const { return mFactory; }
  // The host context given to IPluginFactory3::setHostContext and to the plug-ins' initialize.
  HostApplication* HostContext() const { return mHostContext; }

  const FactoryInfo& Info() const { return mInfo; }
  const std::vector<ClassInfo>& Classes() const { return mClasses; }

  // Chooses a class by selector: empty for the first audio module class, a decimal class index,
  // 32 hex digits of a class ID, or a class name. Null with error when none matches.
  const ClassInfo* FindClass(const std::string& selector, std::string& error) const;
  const ClassInfo* FindClass(const Steinberg::TUID cid) const;

  const std::filesystem::path& BundlePath() const { return mBundlePath; }
  const std::filesystem::path& BinaryPath() const { return mBinaryPath; }
  // The entry function called ("ModuleEntry", "InitDll"; empty for a Windows module without one).
  const std::string& EntryName() const { return mEntryName; }
  // Any other function the module exports by that name, or null.
  void* FindExport(const char* name) const;

private:
  HostModule() = default;
  bool ReadFactory(std::string& error);

  std::filesystem::path mBundlePath;
  std::filesystem::path mBinaryPath;
  void* mLibrary = nullptr;
  bool mEntered = false;
  std::string mEntryName;
  Steinberg::IPluginFactory* mFactory = nullptr;
  HostApplication* mHostContext = nullptr;
  FactoryInfo mInfo;
  std::vector<ClassInfo> mClasses;
};

// Text of the factory flags ("Unicode, ClassesDiscardable") and class cardinality.
std::string FactoryFlagsText(Steinberg::int32 flags);
std::string CardinalityText(Steinberg::int32 cardinality);

} // namespace krb::host
