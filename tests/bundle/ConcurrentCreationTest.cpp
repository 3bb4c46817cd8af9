#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "HostModule.h"
#include "HostPlugin.h"

using namespace krb::host;
using namespace Steinberg;

// Hosts may create instances from several threads; every one must come out whole and separate.
TEST(ConcurrentCreationTest, InstancesCreatedFromManyThreadsAreSeparateAndWhole)
{
  std::string error;
  auto module = HostModule::Load(KRB_PLUGIN_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  const ClassInfo* info = module->FindClass("", error);
  ASSERT_NE(info, nullptr) << error;

  constexpr int kThreads = 8;
  std::vector<Vst::IComponent*> components(kThreads, nullptr);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
  {
    threads.emplace_back([&, t] {
      while (!go.load())
        std::this_thread::yield();
      void* obj = nullptr;
      if (module->Factory()->createInstance(reinterpret_cast<const char*>(info->mCid),
                                            reinterpret_cast<const char*>(Vst::IComponent::iid.toTUID()), &obj) == kResultOk)
        components[t] = static_cast<Vst::IComponent*>(obj);
    });
  }
  go.store(true);
  for (auto& thread : threads)
    thread.join();

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
