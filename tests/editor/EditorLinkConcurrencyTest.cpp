// The queues that both the audio thread and the main thread feed, with both feeding at once while the
// idle tick drains them: every record arrives whole, each ring keeps its one producer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EditorSenders.h"

namespace
{
// Every record carries its value in all 16 flags, so a torn record shows as mixed flags.
StepRowSender::Data Row(uint8_t value)
{
  std::array<uint8_t, 16> flags;
  flags.fill(value);
  return StepRowSender::Data(28, flags);
}

struct Checker
{
  int mDelivered = 0;
  bool mWhole = true;
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data)
  {
    const auto* row = static_cast<const StepRowSender::Data*>(data);
    mWhole = mWhole && ctrlTag == 28 && msgTag == 0 && dataSize == 28;
    for (uint8_t flag : row->vals)
      mWhole = mWhole && flag == row->vals[0];
    ++mDelivered;
  }
};

TEST(EditorLinkConcurrencyTest, BothThreadsPushWhileTheTickDrains)
{
  TwoProducerSender<StepRowSender> sender;
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    uint8_t value = 0;
    while (!stop.load(std::memory_order_relaxed))
      sender.PushFromAudioThread(Row(value = static_cast<uint8_t>(value % 100 + 1)));
  });
  Checker checker;
  for (int tick = 0; tick < 20000; ++tick)
  {
    sender.PushFromMainThread(Row(static_cast<uint8_t>(200 + tick % 50)));
    sender.TransmitData(checker);
  }
  stop = true;
  audio.join();
  sender.TransmitData(checker);
  EXPECT_TRUE(checker.mWhole);
  EXPECT_GT(checker.mDelivered, 0);
  EXPECT_EQ(sender.ElementsAvailable(), 0u);
}
} // namespace
