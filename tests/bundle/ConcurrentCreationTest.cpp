#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "EditorFixtureLayout.h"
#include "HostModule.h"
#include "HostPlugin.h"
#include "ModulePlatform.h"

using namespace krb::host;
using namespace Steinberg;

namespace
{
constexpr int kThreads = 8;

// Runs `work(t)` on kThreads threads, all let go at the same moment.
void AllAtOnce(const std::function<void(int)>& work)
{
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      while (!go.load())
        std::this_thread::yield();
      work(t);
    });
  go.store(true);
  for (auto& thread : threads)
    thread.join();
}

// Creates kThreads components of the module's first class from kThreads threads at once.
std::vector<Vst::IComponent*> CreateAtOnce(const HostModule& module, const ClassInfo& info)
{
  std::vector<Vst::IComponent*> components(kThreads, nullptr);
  AllAtOnce([&](int t) {
    void* obj = nullptr;
    if (module.Factory()->createInstance(reinterpret_cast<const char*>(info.mCid),
                                         reinterpret_cast<const char*>(Vst::IComponent::iid.toTUID()),
                                         &obj) == kResultOk)
      components[static_cast<size_t>(t)] = static_cast<Vst::IComponent*>(obj);
  });
  return components;
}
} // namespace

// Hosts may create instances from several threads; every one must come out whole and separate.
TEST(ConcurrentCreationTest, InstancesCreatedFromManyThreadsAreSeparateAndWhole)
{
  std::string error;
  auto module = HostModule::Load(KRB_PLUGIN_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  const ClassInfo* info = module->FindClass("", error);
  ASSERT_NE(info, nullptr) << error;

  const std::vector<Vst::IComponent*> components = CreateAtOnce(*module, *info);
  std::set<Vst::IComponent*> distinct;
  for (auto* component : components)
  {
    ASSERT_NE(component, nullptr);
    distinct.insert(component);
    EXPECT_EQ(component->initialize(module->HostContext()), kResultOk);
    EXPECT_EQ(component->getBusCount(Vst::kAudio, Vst::kOutput), 12);
    EXPECT_EQ(component->terminate(), kResultOk);
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads));
  for (auto* component : components)
    component->release();
}

// The fixture plug-in is made by the same create function as Krellbinder, and its constructor counts
// any construction that starts while another is running (pausing to let one start): under the
// creation lock there is none.
TEST(ConcurrentCreationTest, NoTwoConstructorsRunAtOnce)
{
  std::string error;
  auto module = HostModule::Load(KRB_FIXTURE_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  const ClassInfo* info = module->FindClass("", error);
  ASSERT_NE(info, nullptr) << error;
  const auto stats = reinterpret_cast<KrbEditorFixtureStatsFunc>(module->FindExport("KrbEditorFixtureStats"));
  ASSERT_NE(stats, nullptr);
  KrbEditorFixtureCounters before{};
  stats(&before);

  const std::vector<Vst::IComponent*> components = CreateAtOnce(*module, *info);
  KrbEditorFixtureCounters after{};
  stats(&after);
  EXPECT_EQ(after.constructions - before.constructions, kThreads);
  EXPECT_EQ(after.constructorOverlaps - before.constructorOverlaps, 0);
  for (auto* component : components)
  {
    ASSERT_NE(component, nullptr);
    component->release();
  }
}

// Hosts may ask a freshly loaded module for its factory from several threads at once: all get the
// one factory, each with a reference of its own.
TEST(ConcurrentCreationTest, GetPluginFactoryFromManyThreadsGivesOneFactory)
{
  std::string error;
  void* library = platform::OpenLibrary(platform::BundleBinaryPath(KRB_PLUGIN_BUNDLE), error);
  ASSERT_NE(library, nullptr) << error;
  std::string entryName;
  ASSERT_TRUE(platform::EnterModule(library, entryName, error)) << error;
  using GetFactoryFunc = IPluginFactory*(PLUGIN_API*)();
  const auto getFactory = reinterpret_cast<GetFactoryFunc>(platform::FindSymbol(library, "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);

  std::vector<IPluginFactory*> factories(kThreads, nullptr);
  AllAtOnce([&](int t) { factories[static_cast<size_t>(t)] = getFactory(); });
  ASSERT_NE(factories[0], nullptr);
  for (IPluginFactory* factory : factories)
    EXPECT_EQ(factory, factories[0]);
  EXPECT_EQ(factories[0]->countClasses(), 1);
  // One reference per call, and no more: the next is number kThreads + 1, and the last release ends it.
  EXPECT_EQ(factories[0]->addRef(), static_cast<uint32>(kThreads + 1));
  uint32 left = factories[0]->release();
  for (IPluginFactory* factory : factories)
    if (factory)
      left = factory->release();
  EXPECT_EQ(left, 0u);

  platform::ExitModule(library);
  platform::CloseLibrary(library);
}
