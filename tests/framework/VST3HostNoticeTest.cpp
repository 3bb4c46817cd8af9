// What the framework tells the host when the plug-in changes parameter values on its own, and when;
// and the parameters whose value the plug-in takes from its own state.
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "ComponentHandler.h"
#include "MemoryStream.h"
#include "ParameterChanges.h"
#include "vst3/IPlugVST3.h"

using namespace Steinberg;
using krb::host::ComponentHandler;
using krb::host::EHandlerCall;

namespace
{
constexpr int kKnob = 0;  // holds its own value
constexpr int kShown = 1; // shows mShown
constexpr int kEcho = 2;  // set from the plug-in's side of the editor

Config TestConfig()
{
  Config config;
  config.nParams = 3;
  config.channelIOStr = "0-2";
  config.pluginName = "Test";
  config.plugType = kInstrument;
  return config;
}

class NoticePlug final : public IPlugVST3
{
public:
  NoticePlug()
    : IPlugVST3(InstanceInfo(), TestConfig())
  {
    GetParam(kKnob)->InitDouble("Knob", 0.0, 0.0, 1.0, 0.01);
    GetParam(kShown)->InitBool("Shown", false);
    GetParam(kEcho)->InitBool("Echo", false);
  }

  bool GetParamValueFromState(int paramIdx, double& value) const override
  {
    if (paramIdx != kShown)
      return false;
    value = mShown ? 1.0 : 0.0;
    return true;
  }
  void OnParamChange(int paramIdx) override { changes.push_back(paramIdx); }
  void OnParamChangeUI(int paramIdx, EParamSource source) override
  {
    if (source != kHost || paramIdx != kKnob)
      return;
    // What a reaction does that sets an editor control, and one that moves other parameters.
    if (echo)
      SendParameterValueFromUI(kEcho, GetParam(kKnob)->GetNormalized());
    if (notice)
      InformHostOfParamValuesChanged();
    if (duringHostWrite)
      duringHostWrite();
  }

  bool mShown = false;
  bool echo = false;
  bool notice = false;
  std::function<void()> duringHostWrite;
  std::vector<int> changes;
};

class HostNoticeTest : public ::testing::Test
{
protected:
  HostNoticeTest()
  {
    mPlug->initialize(nullptr);
    mPlug->setComponentHandler(mHandler);
  }
  ~HostNoticeTest() override
  {
    mPlug->terminate();
    mPlug->release();
    mHandler->release();
  }
  size_t Restarts() const { return mHandler->Count(EHandlerCall::kRestartComponent); }

  NoticePlug* mPlug = new NoticePlug();
  ComponentHandler* mHandler = new ComponentHandler();
};
} // namespace

TEST_F(HostNoticeTest, NoticesFromInsideTheHostsSetParamNormalizedWaitForTheIdleTick)
{
  struct Case
  {
    bool echo, notice;
  };
  for (const Case c : {Case{true, false}, Case{false, true}, Case{true, true}})
  {
    mHandler->Clear();
    mPlug->echo = c.echo;
    mPlug->notice = c.notice;
    bool inside = true;
    std::vector<EHandlerCall> callsInside;
    mHandler->SetListener([&](const krb::host::HandlerCall& call) {
      if (inside)
        callsInside.push_back(call.mCall);
    });
    ASSERT_EQ(mPlug->setParamNormalized(kKnob, mPlug->GetParam(kKnob)->GetNormalized() > 0.5 ? 0.0 : 1.0), kResultOk);
    inside = false;
    EXPECT_TRUE(callsInside.empty());
    mHandler->SetListener(nullptr);

    // One request to read every value again, whatever piled up, and the edits are not sent late.
    mPlug->GetIdleTimer().Tick();
    EXPECT_EQ(Restarts(), 1u);
    EXPECT_EQ(mHandler->Calls().at(0).mFlags, Vst::kParamValuesChanged);
    EXPECT_EQ(mHandler->Count(EHandlerCall::kPerformEdit), 0u);
    mPlug->GetIdleTimer().Tick();
    EXPECT_EQ(Restarts(), 1u);
  }
}

// A host call holds back only what arises on its own thread: the editor, on another thread, still tells
// the host of its edits while a host's call runs on a thread of the host's.
TEST_F(HostNoticeTest, AHostCallOnAnotherThreadHoldsBackNothingOfTheEditors)
{
  mPlug->duringHostWrite = [this] {
    std::thread editor([this] { mPlug->SendParameterValueFromUI(kEcho, 1.0); });
    editor.join();
  };
  std::thread hostThread([this] { mPlug->setParamNormalized(kKnob, 1.0); });
  hostThread.join();
  EXPECT_EQ(mHandler->Count(EHandlerCall::kBeginEdit, kEcho), 1u);
  EXPECT_EQ(mHandler->LastPerformedValue(kEcho), 1.0);
  EXPECT_EQ(mHandler->Count(EHandlerCall::kEndEdit, kEcho), 1u);
  EXPECT_EQ(Restarts(), 0u);
}

TEST_F(HostNoticeTest, OutsideAHostCallTheNoticeGoesAtOnce)
{
  mPlug->InformHostOfParamValuesChanged();
  EXPECT_EQ(Restarts(), 1u);
  mPlug->GetIdleTimer().Tick();
  EXPECT_EQ(Restarts(), 1u);
  // An edit from the plug-in's side of the editor goes as an edit.
  mPlug->SendParameterValueFromUI(kEcho, 1.0);
  EXPECT_EQ(mHandler->Count(EHandlerCall::kBeginEdit, kEcho), 1u);
  EXPECT_EQ(mHandler->LastPerformedValue(kEcho), 1.0);
  EXPECT_TRUE(mHandler->EditsBalanced());
}

// At the next idle tick, not from inside setState.
TEST_F(HostNoticeTest, RestoreAsksTheHostToReadEveryValueAgain)
{
  auto* stream = new krb::host::MemoryStream();
  ASSERT_EQ(mPlug->getState(stream), kResultOk);
  stream->Rewind();
  mHandler->Clear();
  ASSERT_EQ(mPlug->setState(stream), kResultOk);
  EXPECT_TRUE(mHandler->Calls().empty());
  mPlug->GetIdleTimer().Tick();
  EXPECT_EQ(Restarts(), 1u);
  EXPECT_EQ(mHandler->Calls().size(), 1u);
  stream->release();
}

TEST_F(HostNoticeTest, ParameterShowingTheStateIsReadFromItAndLeftAloneByProcess)
{
  mPlug->mShown = true;
  EXPECT_EQ(mPlug->getParamNormalized(kShown), 1.0);
  EXPECT_EQ(mPlug->GetParam(kShown)->Value(), 0.0) << "nothing set it yet";

  Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 64, 48000.0};
  ASSERT_EQ(mPlug->setupProcessing(setup), kResultOk);
  krb::host::ParameterChanges changes;
  changes.AddChange(kShown, 0, 0.0);
  changes.AddChange(kKnob, 0, 0.25);
  Vst::ProcessData data;
  data.numSamples = 0;
  data.inputParameterChanges = &changes;
  mPlug->changes.clear();
  ASSERT_EQ(mPlug->process(data), kResultOk);
  EXPECT_EQ(mPlug->changes, std::vector<int>{kKnob});
  EXPECT_EQ(mPlug->getParamNormalized(kShown), 1.0);
  EXPECT_DOUBLE_EQ(mPlug->getParamNormalized(kKnob), 0.25);
}
