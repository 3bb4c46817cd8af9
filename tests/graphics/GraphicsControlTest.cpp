// The rules of the framework's controls, on a view without a window.
#include <gtest/gtest.h>

#include <memory>

#include "GraphicsTestDelegate.h"
#include "graphics/IGraphics.h"

namespace
{
// A bitmap of nFrames stacked frames of w x h pixels, made in memory.
IBitmap MakeBitmap(int w, int h, int nFrames, bool horizontal = false)
{
  auto data = std::make_shared<BitmapData>();
  data->mName = "test.png";
  data->mWidth = horizontal ? w * nFrames : w;
  data->mHeight = horizontal ? h : h * nFrames;
  data->mPixels = std::make_unique<unsigned char[]>(static_cast<size_t>(data->mWidth) * data->mHeight * 4);
  return IBitmap(data, nFrames, horizontal);
}

// A view opened through the delegate, as the host opens the editor (without a window).
class ControlTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mDelegate.mMakeGraphicsFunc = [this] { return new IGraphics(mDelegate, 400, 300); };
    mUI = mDelegate.OpenWindow(nullptr);
    ASSERT_NE(mUI, nullptr);
    mDelegate.mEvents.clear();
  }
  void TearDown() override { mDelegate.CloseWindow(); }

  GraphicsTestDelegate mDelegate;
  IGraphics* mUI = nullptr;
};

TEST(BitmapControl, BoundsAreOneFrameAtThePosition)
{
  const IBitmap strip = MakeBitmap(30, 30, 127);
  IBKnobControl knob(10.f, 20.f, strip, 1);
  EXPECT_EQ(knob.GetRECT(), IRECT(10.f, 20.f, 40.f, 50.f));
  const IBitmap sideBySide = MakeBitmap(12, 8, 3, true);
  IBSwitchControl button(5.f, 6.f, sideBySide);
  EXPECT_EQ(button.GetRECT(), IRECT(5.f, 6.f, 17.f, 14.f));
}

TEST(BitmapControl, FrameFollowsTheRoundedValue)
{
  struct Case
  {
    int frames;
    double value;
    int frame;
  };
  const Case cases[] = {
    {2, 0.0, 1},   {2, 0.49, 1},    {2, 0.5, 2},    {2, 1.0, 2},     {1, 0.7, 1},     {3, 0.5, 2},
    {127, 0.0, 1}, {127, 1.0, 127}, {127, 0.5, 64}, {127, 0.25, 33}, {127, 0.003, 1}, {127, 0.0045, 2},
  };
  for (const Case& c : cases)
  {
    IBitmapControl control(0.f, 0.f, MakeBitmap(4, 4, c.frames));
    control.SetValue(c.value);
    EXPECT_EQ(control.GetFrame(), c.frame) << c.frames << " frames at " << c.value;
  }
}

TEST_F(ControlTest, SwitchClickStepsThroughItsFramesAndWraps)
{
  struct Case
  {
    int frames;
    std::vector<double> values; // after each click, from 0
  };
  const Case cases[] = {
    {2, {1.0, 0.0, 1.0, 0.0}},
    {3, {0.5, 1.0, 0.0, 0.5}},
    {5, {0.25, 0.5, 0.75, 1.0, 0.0}},
    {1, {1.0, 0.0, 1.0}},
  };
  int tag = 0;
  for (const Case& c : cases)
  {
    auto* button = static_cast<IBSwitchControl*>(
      mUI->AttachControl(new IBSwitchControl(0.f, 0.f, MakeBitmap(10, 10, c.frames)), tag++));
    ASSERT_NE(button, nullptr);
    for (double expected : c.values)
    {
      button->OnMouseDown(1.f, 1.f, IMouseMod());
      EXPECT_NEAR(button->GetValue(), expected, 1e-9) << c.frames << " frames";
    }
    button->Hide(true);
  }
}

TEST_F(ControlTest, ClickOnASwitchIsOneEditOfItsParameter)
{
  mUI->AttachControl(new IBSwitchControl(10.f, 10.f, MakeBitmap(20, 10, 2), GraphicsTestDelegate::kSwitchParam), 7);
  mUI->OnMouseDown(15.f, 12.f, IMouseMod{true});
  mUI->OnMouseUp(15.f, 12.f, IMouseMod{true});
  const std::vector<std::string> expected = {"begin 0", "perform 0", "change 0", "changeUI 0 3", "end 0"};
  EXPECT_EQ(mDelegate.mEvents, expected);
  EXPECT_DOUBLE_EQ(mDelegate.GetParam(GraphicsTestDelegate::kSwitchParam)->GetNormalized(), 1.0);
}

TEST_F(ControlTest, KnobFollowsAVerticalDragWithGearingFour)
{
  auto* knob = static_cast<IBKnobControl*>(
    mUI->AttachControl(new IBKnobControl(100.f, 100.f, MakeBitmap(30, 30, 127), GraphicsTestDelegate::kKnobParam), 1));
  mUI->OnMouseDown(115.f, 115.f, IMouseMod{true});
  // Up by 60 units: 60 / (30 x 4) of the range.
  mUI->OnMouseDrag(115.f, 85.f, IMouseMod{true});
  mUI->OnMouseDrag(118.f, 55.f, IMouseMod{true});
  EXPECT_NEAR(knob->GetValue(), 0.5, 1e-6);
  // Down again by 30: a quarter less. Sideways movement changes nothing.
  mUI->OnMouseDrag(150.f, 85.f, IMouseMod{true});
  EXPECT_NEAR(knob->GetValue(), 0.25, 1e-6);
  // Far beyond the top: clamped to the maximum.
  mUI->OnMouseDrag(150.f, -2000.f, IMouseMod{true});
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
  mUI->OnMouseUp(150.f, -2000.f, IMouseMod{true});
  EXPECT_EQ(knob->GetFrame(), 127);

  // The drag is one gesture: begin once, one perform per movement, end once.
  ASSERT_FALSE(mDelegate.mEvents.empty());
  EXPECT_EQ(mDelegate.mEvents.front(), "begin 1");
  EXPECT_EQ(mDelegate.mEvents.back(), "end 1");
  EXPECT_EQ(std::count(mDelegate.mEvents.begin(), mDelegate.mEvents.end(), "begin 1"), 1);
  ASSERT_EQ(mDelegate.mPerformed.size(), 4u);
  EXPECT_NEAR(mDelegate.mPerformed[0].second, 0.25, 1e-3);
  EXPECT_NEAR(mDelegate.mPerformed[1].second, 0.5, 1e-3);
  EXPECT_DOUBLE_EQ(mDelegate.mPerformed[3].second, 1.0);
}

TEST_F(ControlTest, SetDirtyClampsAndSendsOnlyWhenTriggered)
{
  auto* knob =
    mUI->AttachControl(new IBKnobControl(0.f, 0.f, MakeBitmap(30, 30, 127), GraphicsTestDelegate::kKnobParam), 1);
  knob->ClearDirty();
  knob->SetValue(1.7);
  knob->SetDirty(false);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
  EXPECT_TRUE(knob->IsDirty());
  EXPECT_TRUE(mDelegate.mEvents.empty());

  knob->SetValue(-0.5);
  knob->SetDirty(true, kNoValIdx);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  const std::vector<std::string> expected = {"begin 1", "perform 1", "end 1", "change 1", "changeUI 1 3"};
  EXPECT_EQ(mDelegate.mEvents, expected);

  // A control without a parameter, or not attached, sends nothing.
  mDelegate.mEvents.clear();
  auto* label = static_cast<ITextControl*>(mUI->AttachControl(new ITextControl(IRECT(0, 0, 10, 10), "x"), 2));
  label->SetDirty(true);
  IBSwitchControl loose(0.f, 0.f, MakeBitmap(4, 4, 2), GraphicsTestDelegate::kSwitchParam);
  loose.SetValue(1.0);
  loose.SetDirty(true);
  EXPECT_TRUE(mDelegate.mEvents.empty());
}

TEST_F(ControlTest, OtherControlsOfTheParameterFollowAChange)
{
  auto* first =
    mUI->AttachControl(new IBSwitchControl(0.f, 0.f, MakeBitmap(4, 4, 2), GraphicsTestDelegate::kOtherParam), 1);
  auto* second =
    mUI->AttachControl(new IBSwitchControl(10.f, 0.f, MakeBitmap(4, 4, 2), GraphicsTestDelegate::kOtherParam), 2);
  auto* unrelated =
    mUI->AttachControl(new IBSwitchControl(20.f, 0.f, MakeBitmap(4, 4, 2), GraphicsTestDelegate::kSwitchParam), 3);
  second->ClearDirty();
  first->SetValue(1.0);
  first->SetDirty(true);
  EXPECT_DOUBLE_EQ(second->GetValue(), 1.0);
  EXPECT_TRUE(second->IsDirty());
  EXPECT_DOUBLE_EQ(unrelated->GetValue(), 0.0);
  // The follower did not send again.
  EXPECT_EQ(mDelegate.mPerformed.size(), 1u);
}

TEST_F(ControlTest, ValueFromDelegateIsIgnoredWhileTheMouseHoldsTheControl)
{
  auto* knob =
    mUI->AttachControl(new IBKnobControl(0.f, 0.f, MakeBitmap(30, 30, 127), GraphicsTestDelegate::kKnobParam), 1);
  mUI->OnMouseDown(10.f, 10.f, IMouseMod{true});
  mDelegate.SendParameterValueFromDelegate(GraphicsTestDelegate::kKnobParam, 0.8, true);
  knob->SetValueFromDelegate(0.9);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  mUI->OnMouseUp(10.f, 10.f, IMouseMod{true});

  knob->ClearDirty();
  mDelegate.mEvents.clear();
  mDelegate.SendParameterValueFromDelegate(GraphicsTestDelegate::kKnobParam, 0.8, true);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.8);
  EXPECT_TRUE(knob->IsDirty());
  // An unchanged value is not redrawn; a value from the delegate never reaches the host.
  knob->ClearDirty();
  knob->SetValueFromDelegate(0.8);
  EXPECT_FALSE(knob->IsDirty());
  EXPECT_TRUE(mDelegate.mEvents.empty());
}

TEST_F(ControlTest, TextControlIgnoresTheMouseAndRedrawsOnANewText)
{
  auto* label = static_cast<ITextControl*>(mUI->AttachControl(
    new ITextControl(IRECT(0, 0, 50, 20), "Empty1", IText(14.f, COLOR_WHITE, "Roboto-Regular")), 122));
  EXPECT_STREQ(label->GetStr(), "Empty1");
  EXPECT_EQ(label->GetText().mFont, "Roboto-Regular");
  EXPECT_TRUE(label->GetIgnoreMouse());
  label->ClearDirty();
  label->SetStr("Empty1");
  EXPECT_FALSE(label->IsDirty());
  label->SetStr("kick 01");
  EXPECT_TRUE(label->IsDirty());
  EXPECT_STREQ(label->GetStr(), "kick 01");
  mUI->OnMouseDown(5.f, 5.f, IMouseMod{true});
  EXPECT_EQ(mUI->GetCapturedControl(), nullptr);
}

TEST_F(ControlTest, DisabledControlsTakeNoClicks)
{
  auto* button =
    mUI->AttachControl(new IBSwitchControl(0.f, 0.f, MakeBitmap(10, 10, 2), GraphicsTestDelegate::kSwitchParam), 1);
  button->SetDisabled(true);
  mUI->OnMouseDown(5.f, 5.f, IMouseMod{true});
  mUI->OnMouseUp(5.f, 5.f, IMouseMod{true});
  EXPECT_DOUBLE_EQ(button->GetValue(), 0.0);
  EXPECT_TRUE(mDelegate.mEvents.empty());
}
} // namespace
