#include <gtest/gtest.h>

#include <cstdint>

#include "plugin/IByteChunk.h"

TEST(ByteChunkTest, PutReturnsSizeAfterAppend)
{
  IByteChunk chunk;
  const double d = 3.0;
  const int32_t i = -7;
  EXPECT_EQ(chunk.Put(&d), 8);
  EXPECT_EQ(chunk.Put(&i), 12);
  EXPECT_EQ(chunk.Size(), 12);
}

TEST(ByteChunkTest, GetReturnsPositionAfterValueOrMinusOneAndLeavesTargetUnchanged)
{
  IByteChunk chunk;
  const double d = 2.5;
  const int32_t i = 42;
  chunk.Put(&d);
  chunk.Put(&i);

  double readD = 0.0;
  int32_t readI = 0;
  EXPECT_EQ(chunk.Get(&readD, 0), 8);
  EXPECT_DOUBLE_EQ(readD, 2.5);
  EXPECT_EQ(chunk.Get(&readI, 8), 12);
  EXPECT_EQ(readI, 42);

  double untouched = 9.0;
  EXPECT_EQ(chunk.Get(&untouched, 8), -1); // would end past the chunk
  EXPECT_EQ(chunk.Get(&untouched, -1), -1);
  EXPECT_EQ(chunk.Get(&untouched, 12), -1);
  EXPECT_DOUBLE_EQ(untouched, 9.0);
  // A failed read makes the next read fail too.
  EXPECT_EQ(chunk.Get(&readI, chunk.Get(&untouched, 8)), -1);
}

TEST(ByteChunkTest, ValuesAreLittleEndianRawBytes)
{
  IByteChunk chunk;
  const int32_t value = 0x01020304;
  chunk.Put(&value);
  ASSERT_EQ(chunk.Size(), 4);
  EXPECT_EQ(chunk.GetData()[0], 0x04);
  EXPECT_EQ(chunk.GetData()[3], 0x01);
}
