#pragma once

#include <vector>

#include "pluginterfaces/base/ipluginbase.h"

// The module's plug-in factory: its information record and the classes registered with it.
class CPluginFactory : public Steinberg::IPluginFactory3
{
public:
  using CreateFunction = Steinberg::FUnknown* (*)(void* context);

  explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
  virtual ~CPluginFactory();

  // Adds a class; false when the class list cannot grow.
  bool registerClass(const Steinberg::PClassInfo2* info, CreateFunction createFunc, void* context = nullptr);

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

  Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
  Steinberg::int32 PLUGIN_API countClasses() override;
  Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid, void** obj) override;
  Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) override;
  Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index, Steinberg::PClassInfoW* info) override;
  Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

private:
  struct ClassEntry
  {
    Steinberg::PClassInfo2 info;
    CreateFunction createFunc;
    void* context;
  };

  Steinberg::uint32 mRefCount = 1;
  Steinberg::PFactoryInfo mFactoryInfo;
  std::vector<ClassEntry> mClasses;
  Steinberg::FUnknown* mHostContext = nullptr;
};

// The module's one factory, or nullptr; GetPluginFactory keeps it here, and the factory clears it
// when the host releases it for the last time.
extern CPluginFactory* gPluginFactory;
