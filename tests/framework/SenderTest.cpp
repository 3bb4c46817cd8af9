#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "plugin/ISender.h"

namespace
{
struct Recorder
{
  struct Delivery
  {
    int ctrlTag, msgTag, size;
    int32_t value;
  };
  std::vector<Delivery> deliveries;

  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int size, const void* data)
  {
    const auto* record = static_cast<const ISenderData<1, int32_t>*>(data);
    deliveries.push_back({ctrlTag, msgTag, size, record->vals[0]});
  }
};
} // namespace

TEST(SenderTest, QueueOfOneHoldsOnePendingItemAndDropsTheNext)
{
  ISender<1, 1, int32_t> sender(1);
  EXPECT_TRUE(sender.PushData({0, {5}}));
  EXPECT_FALSE(sender.PushData({0, {6}})); // dropped: the older item stays
  Recorder recorder;
  sender.TransmitData(recorder);
  ASSERT_EQ(recorder.deliveries.size(), 1u);
  EXPECT_EQ(recorder.deliveries[0].ctrlTag, 0);
  EXPECT_EQ(recorder.deliveries[0].msgTag, kUpdateMessage);
  EXPECT_EQ(recorder.deliveries[0].size, 16);
  EXPECT_EQ(recorder.deliveries[0].value, 5);
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
