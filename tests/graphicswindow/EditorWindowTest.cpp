// The editor in a real window under Xvfb: the fixture plug-in's bundle is loaded as a host loads it,
// its view is embedded in a window of the host's editor module, driven by that module's run loop,
// photographed, and clicked and dragged with real pointer events.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <iterator>
#include <thread>
#include <vector>

#include "ComponentHandler.h"
#include "EditorFixtureLayout.h"
#include "HostEditor.h"
#include "Picture.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

using namespace Steinberg;
using krb::host::EditorWindow;
using krb::host::EHandlerCall;

namespace
{
// The bundle's library, loaded once for all tests as a host keeps it.
struct Module
{
  void* handle = nullptr;
  IPluginFactory* factory = nullptr;
  KrbEditorFixtureStatsFunc stats = nullptr;

  Module()
  {
    const std::string path = std::string(KRB_FIXTURE_BUNDLE) + "/Contents/x86_64-linux/KrbEditorFixture.so";
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
      return;
    using EntryFunc = bool (*)(void*);
    using FactoryFunc = IPluginFactory* (*)();
    if (auto entry = reinterpret_cast<EntryFunc>(dlsym(handle, "ModuleEntry")))
      entry(handle);
    if (auto getFactory = reinterpret_cast<FactoryFunc>(dlsym(handle, "GetPluginFactory")))
      factory = getFactory();
    stats = reinterpret_cast<KrbEditorFixtureStatsFunc>(dlsym(handle, "KrbEditorFixtureStats"));
  }

  KrbEditorFixtureCounters Stats() const
  {
    KrbEditorFixtureCounters counters{};
    stats(&counters);
    return counters;
  }
};

Module& GetModule()
{
  static Module module;
  return module;
}

using krbtest::Picture;

// A bitmap of the resources folder.
std::string Resource(const char* fileName) { return std::string(KRB_RESOURCES_DIR) + "/" + fileName; }

class EditorWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Module& module = GetModule();
    ASSERT_NE(module.factory, nullptr) << dlerror();
    ASSERT_NE(module.stats, nullptr);
    PClassInfo info;
    ASSERT_EQ(module.factory->getClassInfo(0, &info), kResultOk);
    ASSERT_EQ(module.factory->createInstance(info.cid, Vst::IComponent::iid, reinterpret_cast<void**>(&mComponent)),
              kResultOk);
    ASSERT_EQ(mComponent->initialize(nullptr), kResultOk);
    ASSERT_EQ(mComponent->queryInterface(Vst::IEditController::iid, reinterpret_cast<void**>(&mController)), kResultOk);
    mController->setComponentHandler(&mHandler);
  }

  void TearDown() override
  {
    mWindow.reset();
    if (mView)
    {
      EXPECT_EQ(mView->release(), 0u);
    }
    mView = nullptr;
    if (mController)
    {
      mController->setComponentHandler(nullptr);
      mController->release();
    }
    if (mComponent)
    {
      mComponent->terminate();
      EXPECT_EQ(mComponent->release(), 0u);
    }
  }

  // Fatal failures end the test (callers wrap it in ASSERT_NO_FATAL_FAILURE).
  void Open()
  {
    mView = mController->createView(Vst::ViewType::kEditor);
    ASSERT_NE(mView, nullptr);
    std::string error;
    mWindow = EditorWindow::Open(mView, error);
    ASSERT_NE(mWindow, nullptr) << error;
    mWindow->RunFor(150);
  }

  void Close()
  {
    mWindow.reset();
    if (mView)
      mView->release();
    mView = nullptr;
  }

  // The window's pixel at (x, y) against a reference pixel, each channel within a small tolerance.
  ::testing::AssertionResult PixelIs(int x, int y, const uint8_t* expected)
  {
    std::vector<uint8_t> rgba;
    int w = 0;
    int h = 0;
    if (!mWindow->Capture(rgba, w, h))
      return ::testing::AssertionFailure() << "no capture";
    if (x >= w || y >= h)
      return ::testing::AssertionFailure() << "outside the window";
    const uint8_t* got = &rgba[(static_cast<size_t>(y) * w + x) * 4];
    for (int c = 0; c < 3; ++c)
      if (std::abs(got[c] - expected[c]) > 8)
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << int(got[0]) << "," << int(got[1]) << "," << int(got[2])
               << ", expected " << int(expected[0]) << "," << int(expected[1]) << "," << int(expected[2]);
    return ::testing::AssertionSuccess();
  }

  Vst::IComponent* mComponent = nullptr;
  Vst::IEditController* mController = nullptr;
  IPlugView* mView = nullptr;
  // The host's edits of one parameter, in order: b(egin), p(erform), e(nd).
  std::string Kinds(Vst::ParamID id) const
  {
    std::string kinds;
    for (const krb::host::HandlerCall& call : mHandler.Calls())
      if (call.mId == id && (call.mCall == EHandlerCall::kBeginEdit || call.mCall == EHandlerCall::kPerformEdit ||
                             call.mCall == EHandlerCall::kEndEdit))
        kinds.push_back(call.mCall == EHandlerCall::kBeginEdit     ? 'b'
                        : call.mCall == EHandlerCall::kPerformEdit ? 'p'
                                                                   : 'e');
    return kinds;
  }
  // The values the host was sent for one parameter, in order.
  std::vector<double> Values(Vst::ParamID id) const
  {
    std::vector<double> values;
    for (const auto& edit : mHandler.PerformedEdits())
      if (edit.first == id)
        values.push_back(edit.second);
    return values;
  }
  size_t EditCount() const
  {
    return mHandler.Count(EHandlerCall::kBeginEdit) + mHandler.Count(EHandlerCall::kPerformEdit) +
           mHandler.Count(EHandlerCall::kEndEdit);
  }

  krb::host::ComponentHandler mHandler;
  std::unique_ptr<EditorWindow> mWindow;
};

// A point inside the switch and one inside the knob, in view units, and the frame pixel there.
constexpr int kSwitchPointX = static_cast<int>(kFixtureSwitchX) + 13;
constexpr int kSwitchPointY = static_cast<int>(kFixtureSwitchY) + 6;
constexpr int kKnobPointX = static_cast<int>(kFixtureKnobX) + 15;
constexpr int kKnobPointY = static_cast<int>(kFixtureKnobY) + 6;

TEST_F(EditorWindowTest, OpensEmbeddedDrawsItsBitmapsAndSavesAScreenshot)
{
  const KrbEditorFixtureCounters before = GetModule().Stats();
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(mWindow->Width(), kFixtureWidth);
  EXPECT_EQ(mWindow->Height(), kFixtureHeight);
  ViewRect size;
  ASSERT_EQ(mView->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), kFixtureWidth);
  EXPECT_EQ(size.getHeight(), kFixtureHeight);
  EXPECT_EQ(mView->canResize(), kResultFalse);
  EXPECT_EQ(mView->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_EQ(mView->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);

  const Picture button(Resource("btnSolo.png"));
  const Picture knob(Resource("KrellbinderMetal.png"));
  ASSERT_FALSE(button.rgba.empty());
  // Off: the top frame of the switch; the knob at its minimum: the strip's first frame.
  EXPECT_TRUE(PixelIs(kSwitchPointX, kSwitchPointY, button.At(13, 6)));
  EXPECT_TRUE(PixelIs(kKnobPointX, kKnobPointY, knob.At(15, 6)));

  const std::filesystem::path shot = std::filesystem::temp_directory_path() / "krb_editor_window_test.png";
  ASSERT_TRUE(mWindow->SaveScreenshot(shot.string()));
  const Picture saved(shot.string());
  std::filesystem::remove(shot);
  EXPECT_EQ(saved.w, kFixtureWidth);
  EXPECT_EQ(saved.h, kFixtureHeight);

  // The layout ran once for this window; the idle tick runs on this (the host's main) thread.
  const KrbEditorFixtureCounters open = GetModule().Stats();
  EXPECT_EQ(open.layouts - before.layouts, 1);
  EXPECT_EQ(open.openViews, 1);
  mWindow->RunFor(200);
  const KrbEditorFixtureCounters later = GetModule().Stats();
  EXPECT_GE(later.idleTicks - open.idleTicks, 5);
  EXPECT_EQ(later.idleTicksOffThread, 0);
  Close();
  EXPECT_EQ(GetModule().Stats().openViews, 0);
  // Closed: no run loop drives the timer any more.
  const int ticks = GetModule().Stats().idleTicks;
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(GetModule().Stats().idleTicks, ticks);
}

TEST_F(EditorWindowTest, ClickingTheSwitchIsOneEditThatReachesTheHost)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  mWindow->Click(kSwitchPointX, kSwitchPointY);
  mWindow->RunFor(60);
  EXPECT_EQ(Kinds(kFixtureSwitchParam), "bpe");
  EXPECT_EQ(Values(kFixtureSwitchParam), std::vector<double>{1.0});
  EXPECT_DOUBLE_EQ(mController->getParamNormalized(kFixtureSwitchParam), 1.0);
  const Picture button(Resource("btnSolo.png"));
  EXPECT_TRUE(PixelIs(kSwitchPointX, kSwitchPointY, button.At(13, 21 + 6)));

  mWindow->Click(kSwitchPointX, kSwitchPointY);
  mWindow->RunFor(60);
  EXPECT_EQ(Values(kFixtureSwitchParam), (std::vector<double>{1.0, 0.0}));
  EXPECT_TRUE(PixelIs(kSwitchPointX, kSwitchPointY, button.At(13, 6)));
  // A click beside every control changes nothing.
  mWindow->Click(5, 5);
  EXPECT_EQ(EditCount(), 6u);
}

TEST_F(EditorWindowTest, DraggingTheKnobUpRaisesItsParameterInOneGesture)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  // Up by 60 pixels at scale 1: half the range with gearing 4 on a 30-pixel knob.
  mWindow->Drag(kKnobPointX, kKnobPointY + 10, kKnobPointX, kKnobPointY + 10 - 60, 6);
  mWindow->RunFor(60);
  const std::string kinds = Kinds(kFixtureKnobParam);
  ASSERT_GE(kinds.size(), 3u);
  EXPECT_EQ(kinds.front(), 'b');
  EXPECT_EQ(kinds.back(), 'e');
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 'b'), 1);
  const std::vector<double> values = Values(kFixtureKnobParam);
  ASSERT_FALSE(values.empty());
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_NEAR(values.back(), 0.5, 0.01);
  EXPECT_NEAR(mController->getParamNormalized(kFixtureKnobParam), 0.5, 0.01);
  // The knob shows frame 1 + int(0.5 x 126 + 0.5) = 64.
  const Picture knob(Resource("KrellbinderMetal.png"));
  EXPECT_TRUE(PixelIs(kKnobPointX, kKnobPointY, knob.At(15, 63 * 30 + 6)));
}

TEST_F(EditorWindowTest, HostParameterChangesMoveTheControls)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  mController->setParamNormalized(kFixtureKnobParam, 1.0);
  mWindow->RunFor(80);
  const Picture knob(Resource("KrellbinderMetal.png"));
  EXPECT_TRUE(PixelIs(kKnobPointX, kKnobPointY, knob.At(15, 126 * 30 + 6)));
  // The host's own change is not reported back to it.
  EXPECT_EQ(EditCount(), 0u);
}

TEST_F(EditorWindowTest, RecordsQueuedWhileClosedAreDroppedAndLaterOnesDelivered)
{
  const int received = GetModule().Stats().recordsReceived;
  mController->setParamNormalized(kFixturePushParam, 1.0); // queued with no editor open
  ASSERT_NO_FATAL_FAILURE(Open());
  mWindow->RunFor(100);
  EXPECT_EQ(GetModule().Stats().recordsReceived, received);
  mController->setParamNormalized(kFixturePushParam, 0.0);
  EXPECT_TRUE(mWindow->RunUntil([&] { return GetModule().Stats().recordsReceived == received + 1; }, 500));
}

TEST_F(EditorWindowTest, ScreenScaleAndCornerResizerResizeTheWindowThroughTheHost)
{
  ASSERT_NO_FATAL_FAILURE(Open());
  auto* scaling = static_cast<IPlugViewContentScaleSupport*>(nullptr);
  ASSERT_EQ(mView->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)), kResultOk);
  EXPECT_EQ(scaling->setContentScaleFactor(2.f), kResultTrue);
  scaling->release();
  mWindow->RunFor(100);
  EXPECT_EQ(mWindow->Width(), 2 * kFixtureWidth);
  EXPECT_EQ(mWindow->Height(), 2 * kFixtureHeight);
  ViewRect size;
  mView->getSize(&size);
  EXPECT_EQ(size.getWidth(), 2 * kFixtureWidth);

  // Mouse positions are view units at any scale: the switch is at twice its position now.
  mWindow->Click(2 * kSwitchPointX, 2 * kSwitchPointY);
  mWindow->RunFor(40);
  EXPECT_EQ(Values(kFixtureSwitchParam), std::vector<double>{1.0});

  // The resizer's square is the view's bottom-right 20 x 20 units; dragging it outwards by half the
  // window's size scales the view by 1.5.
  const int requests = mWindow->ResizeRequests();
  const int x0 = 2 * (kFixtureWidth - 10);
  const int y0 = 2 * (kFixtureHeight - 10);
  mWindow->Drag(x0, y0, x0 + x0 / 2, y0 + y0 / 2, 8);
  mWindow->RunFor(100);
  EXPECT_GT(mWindow->ResizeRequests(), requests);
  EXPECT_NEAR(mWindow->Width(), 3 * kFixtureWidth, 4);
  EXPECT_NEAR(mWindow->Height(), 3 * kFixtureHeight, 4);
  EXPECT_NEAR(GetModule().Stats().lastScale, 1.5f, 0.02f);
  // The layout never ran again.
  EXPECT_EQ(GetModule().Stats().openViews, 1);
}

TEST_F(EditorWindowTest, OpeningAndClosingRepeatedlyWhileAudioRunsLeavesNothingBehind)
{
  auto* processor = static_cast<Vst::IAudioProcessor*>(nullptr);
  ASSERT_EQ(mComponent->queryInterface(Vst::IAudioProcessor::iid, reinterpret_cast<void**>(&processor)), kResultOk);
  Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 256, 48000.0};
  ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
  mComponent->setActive(true);
  processor->setProcessing(true);
  std::atomic<bool> running{true};
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* channels[2] = {left.data(), right.data()};
    Vst::AudioBusBuffers out;
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    Vst::ProcessData data;
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = 256;
    data.numOutputs = 1;
    data.outputs = &out;
    while (running)
    {
      processor->process(data);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  const KrbEditorFixtureCounters before = GetModule().Stats();
  for (int i = 0; i < 12; ++i)
  {
    ASSERT_NO_FATAL_FAILURE(Open());
    if (i % 3 == 0)
      mWindow->Click(kSwitchPointX, kSwitchPointY);
    // A second view cannot show the editor while this one does.
    IPlugView* second = mController->createView(Vst::ViewType::kEditor);
    ASSERT_NE(second, nullptr);
    std::string error;
    EXPECT_EQ(EditorWindow::Open(second, error), nullptr);
    EXPECT_EQ(second->release(), 0u);
    Close();
  }
  running = false;
  audio.join();
  processor->setProcessing(false);
  mComponent->setActive(false);
  processor->release();
  const KrbEditorFixtureCounters after = GetModule().Stats();
  EXPECT_EQ(after.layouts - before.layouts, 12);
  EXPECT_EQ(after.openViews, 0);
}
TEST(EditorScreenshot, TheHostSavesTheEditorsFirstFrames)
{
  const std::filesystem::path shot = std::filesystem::temp_directory_path() / "krb_host_screenshot_test.png";
  std::filesystem::remove(shot);
  const std::string command = std::string("\"") + KRB_HOST_PROGRAM + "\" render \"" + KRB_FIXTURE_BUNDLE +
                              "\" --frames 0 --screenshot \"" + shot.string() + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const Picture saved(shot.string());
  std::filesystem::remove(shot);
  ASSERT_EQ(saved.w, kFixtureWidth);
  ASSERT_EQ(saved.h, kFixtureHeight);
  const Picture button(Resource("btnSolo.png"));
  const uint8_t* got = saved.At(kSwitchPointX, kSwitchPointY);
  const uint8_t* expected = button.At(13, 6);
  for (int c = 0; c < 3; ++c)
    EXPECT_NEAR(got[c], expected[c], 8);
}
} // namespace
