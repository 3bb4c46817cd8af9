// The queues that both the audio thread and the main thread feed, with both feeding at once while the
// idle tick drains them: every record arrives whole, each ring keeps its one producer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EditorSenders.h"
#include "EditorTags.h"
#include "QueueRecorder.h"

namespace
{
// Every record carries its value in all 16 flags, so a torn record shows as mixed flags.
StepRowSender::Data Row(uint8_t value)
{
  std::array<uint8_t, 16> flags;
  flags.fill(value);
  return StepRowSender::Data(kCtrlTagStep, flags);
}

TEST(EditorLinkConcurrencyTest, BothThreadsPushWhileTheTickDrains)
{
  TwoProducerSender<StepRowSender> sender;
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    uint8_t value = 0;
    while (!stop.load(std::memory_order_relaxed))
      sender.PushFromAudioThread(Row(value = static_cast<uint8_t>(value % 100 + 1)));
  });
  krbtest::QueueRecorder editor;
  for (int tick = 0; tick < 20000; ++tick)
  {
    sender.PushFromMainThread(Row(static_cast<uint8_t>(200 + tick % 50)));
    sender.TransmitData(editor);
  }
  stop = true;
  audio.join();
  sender.TransmitData(editor);
  EXPECT_GT(editor.mDeliveries.size(), 0u);
  EXPECT_EQ(sender.ElementsAvailable(), 0u);
  size_t torn = 0;
  for (const auto& delivery : editor.mDeliveries)
  {
    const auto row = delivery.As<StepRowSender::Data>();
    bool whole = delivery.ctrlTag == kCtrlTagStep && delivery.msgTag == 0 && delivery.dataSize == 28;
    for (uint8_t flag : row.vals)
      whole = whole && flag == row.vals[0];
    torn += whole ? 0 : 1;
  }
  EXPECT_EQ(torn, 0u) << "of " << editor.mDeliveries.size() << " records";
}
} // namespace
