#include <gtest/gtest.h>

#include "plugin/IMidiQueue.h"

namespace
{
IMidiMsg Note(int offset, int note)
{
  IMidiMsg msg;
  msg.MakeNoteOnMsg(note, 100, offset);
  return msg;
}
} // namespace

TEST(MidiQueueTest, KeepsMessagesInOffsetOrderAndArrivalOrderWithinAnOffset)
{
  IMidiQueue queue;
  queue.Add(Note(10, 1));
  queue.Add(Note(3, 2));
  queue.Add(Note(10, 3));
  queue.Add(Note(0, 4));
  const int expected[] = {4, 2, 1, 3};
  for (int note : expected)
  {
    ASSERT_FALSE(queue.Empty());
    EXPECT_EQ(queue.Peek().NoteNumber(), note);
    queue.Remove();
  }
  EXPECT_TRUE(queue.Empty());
}

TEST(MidiQueueTest, FlushDropsTakenMessagesAndMovesTheRestEarlier)
{
  IMidiQueue queue;
  queue.Add(Note(5, 1));
  queue.Add(Note(700, 2));
  queue.Remove();
  queue.Flush(512);
  ASSERT_EQ(queue.ToDo(), 1);
  EXPECT_EQ(queue.Peek().mOffset, 188);
  EXPECT_EQ(queue.Peek().NoteNumber(), 2);
}

TEST(MidiQueueTest, StartsWith512AndGrowsBy512)
{
  IMidiQueue queue;
  EXPECT_EQ(queue.GetSize(), 512);
  for (int i = 0; i < 513; ++i)
    queue.Add(Note(i, i & 0x7F));
  EXPECT_EQ(queue.GetSize(), 1024);
  EXPECT_EQ(queue.ToDo(), 513);
  for (int i = 0; i < 513; ++i)
  {
    EXPECT_EQ(queue.Peek().mOffset, i);
    queue.Remove();
  }
}

TEST(MidiQueueTest, StatusKindAndChannel)
{
  IMidiMsg msg(0, 0x93, 36, 0);
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(msg.Channel(), 3);
  msg.mStatus = 0x85;
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOff);
  msg.mStatus = 0xF0;
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNone);
}
