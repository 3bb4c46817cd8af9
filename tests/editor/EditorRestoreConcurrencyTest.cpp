// A host that restores a state on a thread of its own while the editor is open and its idle tick
// runs: the restored values reach the controls through the tick, on the editor's thread, and no
// control is touched from two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "EditorSize.h"
#include "EditorTags.h"
#include "PluginPtr.h"
#include "TempConfigHome.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
// After the plug-in's headers: the SDK's byte-order macros must not meet the sample reader's names.
#include "MemoryStream.h"

namespace
{
using krb::host::MemoryStream;
using Steinberg::owned;

std::vector<uint8_t> StateWithVolume(Krellbinder& plug, double normalized)
{
  plug.setParamNormalized(kVolumeKnob + 6, normalized);
  auto stream = owned(new MemoryStream);
  EXPECT_EQ(plug.getState(stream), Steinberg::kResultOk);
  return stream->Data();
}
} // namespace

TEST(EditorRestoreConcurrencyTest, RestoreOnAnotherThreadBesideTheIdleTick)
{
  krbtest::TempConfigHome home;
  PluginPtr plugin = MakeInitializedPlugin();
  Krellbinder& plug = *plugin;
  const std::vector<uint8_t> quiet = StateWithVolume(plug, 0.25);
  const std::vector<uint8_t> loud = StateWithVolume(plug, 0.75);
  plug.SetMakeGraphicsFunc([&plug]() { return new IGraphics(plug, kEditorWidth, kEditorHeight, 60, 1.f); });
  ASSERT_NE(plug.OpenWindow(nullptr), nullptr);

  std::atomic<bool> restoring{true};
  std::thread host([&] {
    for (int i = 0; i < 200; ++i)
      EXPECT_EQ(plug.setState(owned(new MemoryStream(i % 2 ? loud : quiet))), Steinberg::kResultOk);
    restoring = false;
  });
  // The editor's thread: drum choices queue step rows, and every tick delivers them to the controls.
  for (int tick = 0; restoring.load() || tick < 100; ++tick)
  {
    plug.setParamNormalized(kSelectedDrumButton + tick % kNumDrums, 1.0);
    plug.OnTimer();
  }
  host.join();

  plug.OnTimer();
  EXPECT_DOUBLE_EQ(plug.GetUI()->GetControlWithTag(kCtrlTagVolumeKnob + 6)->GetValue(0), 0.75);
  plug.CloseWindow();
}
