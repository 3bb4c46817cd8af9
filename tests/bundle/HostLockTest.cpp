// A host that holds a lock of its own across each of its calls into the plug-in, as some hosts hold one
// across setState: its component handler takes the same lock, so a plug-in that calls the handler from
// inside one of the host's calls hangs the host. The plug-in's notices therefore wait for the next idle
// tick, which the host runs outside its calls; what the host reads meanwhile is already the truth.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChunkBuilder.h"
#include "HostIdle.h"
#include "HostPlugin.h"
#include "HostProcessing.h"

using namespace Steinberg;
using krb::host::EHandlerCall;
using krb::host::HandlerCall;
using krb::host::HostPlugin;
using krb::host::HostProcessing;
using krbtest::ChunkBuilder;

namespace
{
constexpr Vst::ParamID kStep = 28;
constexpr Vst::ParamID kDrum = 44;
constexpr Vst::ParamID kPrevious = 56;
constexpr Vst::ParamID kMode = 80;
constexpr Vst::ParamID kPlay = 86;
constexpr Vst::ParamID kPattern = 122;
constexpr Vst::ParamID kSwing = 170;
constexpr int kHostSync = 2;

// A state of twelve empty channels with the given mode, drum and pattern.
std::vector<uint8_t> StateWith(int32_t mode, int32_t drum, int32_t pattern)
{
  ChunkBuilder chunk;
  chunk.FixedPart(3.0, {}, 0, drum, mode, 0, pattern);
  for (int ch = 0; ch < 12; ++ch)
    chunk.Record({});
  chunk.Int(0); // not bypassed
  return chunk.Bytes();
}

class HostHoldingALock : public testing::Test
{
protected:
  void SetUp() override
  {
    mPlugin = mIdle.Open(KRB_PLUGIN_BUNDLE);
    ASSERT_TRUE(mPlugin);
    mPlugin->Handler().SetListener([this](const HandlerCall& call) {
      if (!mHeldFor.empty())
        mCallsInside.push_back(std::string(krb::host::HandlerCallName(call.mCall)) + " inside " + mHeldFor);
    });
    Settle();
  }
  void TearDown() override
  {
    if (mPlugin)
      mPlugin->Handler().SetListener(nullptr);
  }

  // One of the host's calls into the plug-in, with the host's lock held across it.
  template <class Call>
  void Locked(const std::string& name, Call call)
  {
    mHeldFor = name;
    call();
    mHeldFor.clear();
  }

  // Idle ticks until nothing more is said; the handler's record starts afresh.
  void Settle()
  {
    mIdle.Run(100);
    mPlugin->Handler().Clear();
  }

  double Read(Vst::ParamID id) const { return mPlugin->Controller()->getParamNormalized(id); }
  size_t Restarts() const { return mPlugin->Handler().Count(EHandlerCall::kRestartComponent); }

  krbtest::HostIdle mIdle;
  std::unique_ptr<HostPlugin> mPlugin;
  std::string mHeldFor;
  std::vector<std::string> mCallsInside;
};
} // namespace

// A restore, a host write that moves other buttons, and a pattern chosen by a MIDI note: nothing reaches
// the handler while the host's lock is held, and one request to read every value again reaches it at the
// next idle tick.
TEST_F(HostHoldingALock, NoticesWaitForTheNextIdleTick)
{
  struct Case
  {
    const char* what;
    std::function<void()> callsUnderTheLock;
    std::vector<std::pair<Vst::ParamID, double>> readsAtOnce;
  };
  const Case kCases[] = {
    {"a restore",
     [this] {
       const std::vector<uint8_t> state = StateWith(kHostSync, 4, 7);
       Locked("setState", [&] { ASSERT_EQ(mPlugin->SetState(state), kResultOk); });
     },
     {{kMode + kHostSync, 1.0}, {kMode, 0.0}, {kDrum + 4, 1.0}, {kDrum, 0.0}, {kPattern + 7, 1.0}}},
    {"a host write that moves other buttons",
     [this] {
       Locked("setParamNormalized",
              [&] { ASSERT_EQ(mPlugin->Controller()->setParamNormalized(kMode + 3, 1.0), kResultOk); });
     },
     {{kMode + 3, 1.0}, {kMode + kHostSync, 0.0}}},
    {"a pattern chosen by a MIDI note",
     [this] {
       // HostSync first, announced and settled.
       ASSERT_EQ(mPlugin->Controller()->setParamNormalized(kMode + kHostSync, 1.0), kResultOk);
       Settle();
       HostProcessing processing(*mPlugin);
       Locked("setupProcessing", [&] { ASSERT_EQ(processing.Setup(44100.0, 512), kResultOk); });
       Locked("setActive", [&] { ASSERT_EQ(mPlugin->SetActive(true), kResultOk); });
       Locked("setProcessing", [&] { ASSERT_EQ(mPlugin->SetProcessing(true), kResultOk); });
       processing.SetTempo(120.0);
       processing.SetPlaying(true);
       processing.InputEvents().AddNoteOn(0, 48 + 12 + 5, 1.0f); // octave 1, pattern 5
       Locked("process", [&] { ASSERT_EQ(processing.Process(512), kResultOk); });
       Locked("setProcessing", [&] { ASSERT_EQ(mPlugin->SetProcessing(false), kResultOk); });
       Locked("setActive", [&] { ASSERT_EQ(mPlugin->SetActive(false), kResultOk); });
     },
     {{kPattern + 5, 1.0}, {kPattern, 0.0}}},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.what);
    Settle();
    mCallsInside.clear();
    c.callsUnderTheLock();
    EXPECT_TRUE(mCallsInside.empty()) << mCallsInside.front();
    EXPECT_EQ(Restarts(), 0u);
    for (const auto& [id, value] : c.readsAtOnce)
      EXPECT_EQ(Read(id), value) << "parameter " << id;

    mIdle.Run(100);
    EXPECT_TRUE(mCallsInside.empty());
    EXPECT_EQ(Restarts(), 1u);
    EXPECT_EQ(mPlugin->Handler().RestartFlags(), std::vector<int32>(Restarts(), Vst::kParamValuesChanged));
    EXPECT_EQ(mPlugin->Handler().Count(EHandlerCall::kPerformEdit), 0u);
    // Told once: the following ticks have nothing more to say.
    mIdle.Run(60);
    EXPECT_EQ(Restarts(), 1u);
  }
}

// A value that a button does not keep (one between its two values, a 1 on a momentary button, a 0 on
// the lit mode button) leaves the host holding a value that is not the parameter's: the host is told to
// read again at the next idle tick, whether or not the write acted. A value the parameter keeps tells
// the host nothing.
TEST_F(HostHoldingALock, WriteThatAParameterDoesNotKeepIsAnnouncedAtTheNextIdleTick)
{
  struct Case
  {
    const char* what;
    Vst::ParamID id;
    double written;
    double reads;
    size_t restarts;
  };
  const Case kCases[] = {
    {"between the values of a momentary button", kPrevious, 0.33879, 0.0, 1},
    {"a press of a momentary button", kPlay + 3, 1.0, 0.0, 1},
    {"between the values of a step", kStep + 3, 0.7, 1.0, 1},
    {"between the values of the lit mode button", kMode, 0.2, 1.0, 1},
    {"between the values of a swing switch", kSwing + 2, 0.4, 0.0, 1},
    {"0 to a button that shows 0", kPattern + 4, 0.0, 0.0, 0},
    {"1 to the lit mode button", kMode, 1.0, 1.0, 0},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.what);
    Settle();
    mCallsInside.clear();
    Locked("setParamNormalized",
           [&] { ASSERT_EQ(mPlugin->Controller()->setParamNormalized(c.id, c.written), kResultOk); });
    EXPECT_TRUE(mCallsInside.empty()) << mCallsInside.front();
    mIdle.Run(100);
    EXPECT_EQ(Restarts(), c.restarts);
    EXPECT_EQ(Read(c.id), c.reads);
  }
}
