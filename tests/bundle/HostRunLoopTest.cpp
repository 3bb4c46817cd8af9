// A Linux host whose context offers the run loop of its main thread: the plug-in's idle tick runs from
// that loop with no editor open, and the plug-in leaves nothing of its own in the loop once the host is
// done with it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HostIdle.h"
#include "HostModule.h"
#include "HostPlugin.h"
#include "HostRunLoop.h"

using namespace krb::host;
using namespace Steinberg;

namespace
{
constexpr Vst::ParamID kModeButton = 80;
constexpr Vst::ParamID kHostSyncButton = kModeButton + 2;

class HostRunLoopTest : public testing::Test
{
protected:
  krbtest::HostIdle mIdle;
  HostRunLoop* mLoop = &mIdle.Loop();
};
} // namespace

// The host hears of the other mode buttons that its own write moved, not inside that write but at the
// next tick of its run loop, on the thread that runs the loop, although no editor was ever opened.
TEST_F(HostRunLoopTest, HostWriteIsAnnouncedFromTheContextsRunLoopWithoutAnEditor)
{
  auto plugin = mIdle.Open(KRB_PLUGIN_BUNDLE);
  ASSERT_TRUE(plugin);
  plugin->Handler().Clear();
  bool inside = false;
  std::vector<std::string> callsInside;
  plugin->Handler().SetListener([&](const HandlerCall& call) {
    if (inside)
      callsInside.push_back(HandlerCallName(call.mCall));
  });
  inside = true;
  ASSERT_EQ(plugin->Controller()->setParamNormalized(kHostSyncButton, 1.0), kResultOk);
  inside = false;
  plugin->Handler().SetListener(nullptr);
  EXPECT_TRUE(callsInside.empty()) << callsInside.front();
  EXPECT_EQ(plugin->Controller()->getParamNormalized(kModeButton), 0.0);

  mLoop->RunFor(100);
  const std::vector<HandlerCall> calls = plugin->Handler().Calls();
  ASSERT_EQ(plugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
  for (const HandlerCall& call : calls)
  {
    EXPECT_EQ(call.mThread, std::this_thread::get_id()) << HandlerCallName(call.mCall);
    if (call.mCall == EHandlerCall::kRestartComponent)
    {
      EXPECT_EQ(call.mFlags, Vst::kParamValuesChanged);
    }
  }
  // Told once; the following ticks have nothing more to say.
  mLoop->RunFor(60);
  EXPECT_EQ(plugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
}

// Whichever way the host lets the plug-in go, the loop keeps no handler of it, so it never calls into
// a plug-in that is done or gone; initialised again, the plug-in ticks from the loop again.
TEST_F(HostRunLoopTest, TerminateAndReleaseLeaveNoHandlerInTheLoop)
{
  {
    auto plugin = mIdle.Open(KRB_PLUGIN_BUNDLE);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(mLoop->Registrations(), 1u);
    plugin->Terminate();
    EXPECT_EQ(mLoop->Registrations(), 0u);

    std::string error;
    ASSERT_TRUE(plugin->Initialize(error)) << error;
    EXPECT_EQ(mLoop->Registrations(), 1u);
    plugin->Handler().Clear();
    ASSERT_EQ(plugin->Controller()->setParamNormalized(kHostSyncButton, 1.0), kResultOk);
    mLoop->RunFor(100);
    EXPECT_EQ(plugin->Handler().Count(EHandlerCall::kRestartComponent), 1u);
    plugin->Terminate();
    EXPECT_EQ(mLoop->Registrations(), 0u);
  }

  // A host that releases the component without terminating it.
  const ClassInfo* info = nullptr;
  auto module = mIdle.Load(KRB_PLUGIN_BUNDLE, info);
  ASSERT_TRUE(module);
  void* obj = nullptr;
  ASSERT_EQ(module->Factory()->createInstance(reinterpret_cast<const char*>(info->mCid),
                                              reinterpret_cast<const char*>(Vst::IComponent::iid.toTUID()), &obj),
            kResultOk);
  auto* component = static_cast<Vst::IComponent*>(obj);
  ASSERT_EQ(component->initialize(module->HostContext()), kResultOk);
  EXPECT_EQ(mLoop->Registrations(), 1u);
  component->release();
  EXPECT_EQ(mLoop->Registrations(), 0u);
  mLoop->RunFor(50);
}
