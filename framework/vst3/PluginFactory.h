#pragma once

#include <atomic>
#include <vector>

#include "../platform/CriticalSection.h"
#include "../plugin/IPlugConfig.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

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

  std::atomic<Steinberg::uint32> mRefCount{1};
  Steinberg::PFactoryInfo mFactoryInfo;
  std::vector<ClassEntry> mClasses;
  Steinberg::FUnknown* mHostContext = nullptr;
};

// The module's one factory, or nullptr; GetModuleFactory keeps it here, and the factory clears it
// when the host releases it for the last time. Both happen under one lock of the module.
extern CPluginFactory* gPluginFactory;

// What GetPluginFactory hands the host: the factory that the module holds, with one more reference,
// or a new one (with one reference) made from factoryInfo() and holding the one class that
// classInfo() describes and createFunc creates. The two functions run only when a factory is made.
// Hosts may call it from several threads at once.
Steinberg::IPluginFactory* GetModuleFactory(Steinberg::PFactoryInfo (*factoryInfo)(),
                                            const Steinberg::PClassInfo2& (*classInfo)(),
                                            CPluginFactory::CreateFunction createFunc);

// The create function of a plug-in class: one new object per call, allocated and constructed under
// one creation lock, so that no two constructors ever run at once, whatever threads the host creates
// instances from. The lock is held for nothing else.
template <class Plugin>
Steinberg::FUnknown* CreatePluginUnderLock(void* /*context*/)
{
  // Function-static, created once under the compiler's thread-safe initialisation.
  static CriticalSection sCreationLock;
  Plugin* plugin = nullptr;
  {
    CriticalSectionLock lock(sCreationLock);
    plugin = new Plugin(InstanceInfo());
  }
  return static_cast<Steinberg::Vst::IAudioProcessor*>(plugin);
}
