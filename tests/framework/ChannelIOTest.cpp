#include <gtest/gtest.h>

#include "plugin/IPlugProcessor.h"

TEST(ChannelIOTest, ParsesInputsAndOutputs)
{
  std::vector<int> in, out;
  ASSERT_TRUE(ParseChannelIOStr("0-2.2.2.2.2.2.2.2.2.2.2.2", in, out));
  EXPECT_TRUE(in.empty());
  ASSERT_EQ(out.size(), 12u);
  for (int channels : out)
    EXPECT_EQ(channels, 2);
  ASSERT_TRUE(ParseChannelIOStr("2-1", in, out));
  EXPECT_EQ(in, std::vector<int>{2});
  EXPECT_EQ(out, std::vector<int>{1});
}

TEST(ChannelIOTest, RefusesMalformedStrings)
{
  std::vector<int> in, out;
  for (const char* text : {"", "2", "x-2", "0-2..2", "0-", "0-2.a"})
    EXPECT_FALSE(ParseChannelIOStr(text, in, out)) << text;
}
