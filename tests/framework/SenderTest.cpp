#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "QueueRecorder.h"
#include "plugin/ISender.h"

using krbtest::QueueRecorder;

TEST(SenderTest, QueueOfOneHoldsOnePendingItemAndDropsTheNext)
{
  ISender<1, 1, int32_t> sender(1);
  EXPECT_TRUE(sender.PushData({0, {5}}));
  EXPECT_FALSE(sender.PushData({0, {6}})); // dropped: the older item stays
  QueueRecorder recorder;
  sender.TransmitData(recorder);
  ASSERT_EQ(recorder.mDeliveries.size(), 1u);
  EXPECT_EQ(recorder.mDeliveries[0].ctrlTag, 0);
  EXPECT_EQ(recorder.mDeliveries[0].msgTag, kUpdateMessage);
  EXPECT_EQ(recorder.mDeliveries[0].dataSize, 16);
  EXPECT_EQ((recorder.mDeliveries[0].As<ISenderData<1, int32_t>>().vals[0]), 5);
  EXPECT_TRUE(sender.PushData({0, {7}}));
}

TEST(SenderTest, RecordLayouts)
{
  EXPECT_EQ(sizeof(ISenderData<1, int32_t>), 16u);
  EXPECT_EQ(sizeof(ISenderData<16, uint8_t>), 28u);
  EXPECT_EQ(sizeof(ISenderData<12, int32_t>), 60u);
}

TEST(SenderTest, RingCarriesEveryItemInOrderAcrossThreads)
{
  IPlugQueue<int> queue(8);
  constexpr int kCount = 100000;
  std::thread producer([&] {
    for (int i = 0; i < kCount; ++i)
      while (!queue.Push(i))
        std::this_thread::yield();
  });
  int expected = 0;
  while (expected < kCount)
  {
    int item = -1;
    if (queue.Pop(item))
    {
      ASSERT_EQ(item, expected);
      ++expected;
    }
  }
  producer.join();
}
