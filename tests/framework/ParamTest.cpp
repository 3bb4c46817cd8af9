#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plugin/IParam.h"

namespace
{
struct SetCase
{
  double min, max, step;
  bool stepped;
  double input, expected;
};

const SetCase kSetCases[] = {
  // stepped values take the nearest step, then the range
  {-12, 12, 1, true, 3.4, 3.0},
  {-12, 12, 1, true, 3.5, 4.0},
  {-12, 12, 1, true, -3.5, -4.0},
  {-12, 12, 1, true, 40.0, 12.0},
  {-12, 12, 1, true, -40.0, -12.0},
  // continuous values are only clamped
  {0, 2, 0.01, false, 1.234567, 1.234567},
  {0, 2, 0.01, false, 2.5, 2.0},
  {0, 2, 0.01, false, -0.1, 0.0},
};

TEST(ParamTest, SetRoundsSteppedValuesAndClamps)
{
  for (const auto& c : kSetCases)
  {
    IParam param;
    if (c.stepped)
      param.InitInt("p", 0, static_cast<int>(c.min), static_cast<int>(c.max));
    else
      param.InitDouble("p", 0.0, c.min, c.max, c.step);
    param.Set(c.input);
    EXPECT_DOUBLE_EQ(param.Value(), c.expected) << "input " << c.input;
  }
}

TEST(ParamTest, NormalisedConversionIsLinearAndClamped)
{
  IParam pitch;
  pitch.InitInt("Pitch", 0, -12, 12, "hz");
  EXPECT_DOUBLE_EQ(pitch.ToNormalized(0.0), 0.5);
  EXPECT_DOUBLE_EQ(pitch.ToNormalized(-12.0), 0.0);
  EXPECT_DOUBLE_EQ(pitch.FromNormalized(1.0), 12.0);
  EXPECT_DOUBLE_EQ(pitch.FromNormalized(2.0), 12.0);
  EXPECT_DOUBLE_EQ(pitch.FromNormalized(-1.0), -12.0);
  // A host value between two steps lands on the nearest semitone.
  pitch.SetNormalized(0.5 + 0.4 / 24.0);
  EXPECT_DOUBLE_EQ(pitch.Value(), 0.0);
  pitch.SetNormalized(0.5 + 0.6 / 24.0);
  EXPECT_DOUBLE_EQ(pitch.Value(), 1.0);
  EXPECT_EQ(pitch.GetStepCount(), 24);
  EXPECT_TRUE(pitch.GetStepped());
}

TEST(ParamTest, BoolHasDisplayTextsAndIsStepped)
{
  IParam param;
  param.InitBool("Swing button 0", false, "On/Off", IParam::kFlagCannotAutomate);
  EXPECT_EQ(param.Type(), IParam::kTypeBool);
  EXPECT_EQ(param.GetFlags(), IParam::kFlagCannotAutomate | IParam::kFlagStepped);
  EXPECT_FALSE(param.GetCanAutomate());
  EXPECT_STREQ(param.GetDisplayText(0.0), "off");
  EXPECT_STREQ(param.GetDisplayText(1.0), "on");
  EXPECT_EQ(param.GetStepCount(), 1);
  param.Set(0.5);
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);
  double parsed = -1.0;
  EXPECT_TRUE(param.StringToValue("on", parsed));
  EXPECT_DOUBLE_EQ(parsed, 1.0);
  EXPECT_FALSE(param.StringToValue("maybe", parsed));
}

TEST(ParamTest, DefaultParameterIsUntypedZeroToOne)
{
  IParam param;
  EXPECT_EQ(param.Type(), IParam::kTypeNone);
  EXPECT_STREQ(param.GetName(), "");
  EXPECT_STREQ(param.GetLabel(), "");
  EXPECT_DOUBLE_EQ(param.GetMin(), 0.0);
  EXPECT_DOUBLE_EQ(param.GetMax(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetStep(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetDefault(), 0.0);
  EXPECT_EQ(param.GetFlags(), 0);
  EXPECT_EQ(param.GetStepCount(), 1);
  EXPECT_TRUE(param.GetCanAutomate());
  // Without the stepped flag any value in the range stands.
  param.Set(0.25);
  EXPECT_DOUBLE_EQ(param.Value(), 0.25);
}

TEST(ParamTest, NamingKeepsTheRestOfTheParameter)
{
  IParam param;
  param.Set(1.0);
  param.SetName("Mode button 3");
  EXPECT_STREQ(param.GetName(), "Mode button 3");
  EXPECT_EQ(param.Type(), IParam::kTypeNone);
  EXPECT_STREQ(param.GetLabel(), "");
  EXPECT_STREQ(param.GetGroup(), "");
  EXPECT_DOUBLE_EQ(param.GetMin(), 0.0);
  EXPECT_DOUBLE_EQ(param.GetMax(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetStep(), 1.0);
  EXPECT_DOUBLE_EQ(param.GetDefault(), 0.0);
  EXPECT_EQ(param.GetFlags(), 0);
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);

  param.SetName(std::string(IParam::kMaxNameLength + 10, 'x').c_str());
  EXPECT_EQ(std::string(param.GetName()).size(), static_cast<size_t>(IParam::kMaxNameLength));
  param.SetName(nullptr);
  EXPECT_STREQ(param.GetName(), "");
}

TEST(ParamTest, NotANumberNeverReachesTheValue)
{
  IParam param;
  param.InitDouble("Volume", 1.0, 0.0, 2.0, 0.01);
  param.Set(std::nan(""));
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);
  param.SetNormalized(std::nan(""));
  EXPECT_DOUBLE_EQ(param.Value(), 1.0);
}
} // namespace
