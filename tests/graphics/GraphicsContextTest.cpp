// The view's own rules without a window: tags, scale, the corner resizer, resources, opening and
// closing through the editor delegate, and the core's messages.
#include <gtest/gtest.h>

#include <memory>

#include "GraphicsTestDelegate.h"
#include "graphics/IGraphics.h"

namespace
{
class CountingControl : public IControl
{
public:
  explicit CountingControl(const IRECT& bounds, int paramIdx = kNoParameter, int* destroyed = nullptr)
    : IControl(bounds, paramIdx)
    , mDestroyed(destroyed)
  {
  }
  ~CountingControl() override
  {
    if (mDestroyed)
      ++*mDestroyed;
  }
  void OnMsgFromDelegate(int msgTag, int dataSize, const void* data) override
  {
    mMsgTag = msgTag;
    mDataSize = dataSize;
    mData = data;
  }
  int mMsgTag = -1;
  int mDataSize = -1;
  const void* mData = nullptr;
  int* mDestroyed;
};

TEST(GraphicsContext, ADuplicateTagIsRefused)
{
  GraphicsTestDelegate delegate;
  IGraphics graphics(delegate, 200, 100);
  int destroyed = 0;
  IControl* first = graphics.AttachControl(new CountingControl(IRECT(0, 0, 10, 10)), 5, "first group");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(graphics.AttachControl(new CountingControl(IRECT(0, 0, 10, 10), kNoParameter, &destroyed), 5), nullptr);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(graphics.GetControlWithTag(5), first);
  EXPECT_EQ(graphics.NControls(), 1);
  EXPECT_STREQ(first->GetGroup(), "first group");
  EXPECT_EQ(first->GetTag(), 5);
  EXPECT_EQ(first->GetUI(), &graphics);
  // Controls without a tag never clash; unknown tags find nothing.
  EXPECT_NE(graphics.AttachControl(new CountingControl(IRECT(0, 0, 1, 1))), nullptr);
  EXPECT_NE(graphics.AttachControl(new CountingControl(IRECT(0, 0, 1, 1))), nullptr);
  EXPECT_EQ(graphics.GetControlWithTag(6), nullptr);
  EXPECT_EQ(graphics.GetControlWithTag(kNoTag), nullptr);
}

TEST(GraphicsContext, ResizeClampsTheScaleAndAsksTheHostOnlyOnAChange)
{
  GraphicsTestDelegate delegate;
  IGraphics graphics(delegate, 1206, 616, 60, 1.f);
  std::vector<std::pair<int, int>> requests;
  graphics.SetWindowResizeRequest([&](int w, int h) { requests.emplace_back(w, h); });

  struct Case
  {
    float requested;
    float scale;
  };
  const Case cases[] = {{1.5f, 1.5f}, {8.f, 4.f}, {0.25f, 0.5f}, {0.5f, 0.5f}, {1.f, 1.f}};
  for (const Case& c : cases)
  {
    graphics.Resize(1206, 616, c.requested);
    EXPECT_FLOAT_EQ(graphics.GetDrawScale(), c.scale) << c.requested;
  }
  // 0.5 twice: the second changed nothing and asked nothing.
  const std::vector<std::pair<int, int>> expected = {{1809, 924}, {4824, 2464}, {603, 308}, {1206, 616}};
  EXPECT_EQ(requests, expected);
  EXPECT_EQ(graphics.Width(), 1206);
  EXPECT_EQ(graphics.Height(), 616);

  // The screen scale multiplies the window's pixels, not the draw scale.
  graphics.SetScreenScale(2.f);
  EXPECT_FLOAT_EQ(graphics.GetDrawScale(), 1.f);
  EXPECT_EQ(graphics.WindowWidth(), 2412);
  EXPECT_EQ(requests.back(), std::make_pair(2412, 1232));
  // A construction scale outside the limits is clamped too.
  IGraphics big(delegate, 10, 10, 60, 9.f);
  EXPECT_FLOAT_EQ(big.GetDrawScale(), 4.f);
}

TEST(GraphicsContext, CornerResizerDragChangesOnlyTheDrawScale)
{
  GraphicsTestDelegate delegate;
  int layouts = 0;
  delegate.mLayoutFunc = [&](IGraphics*) { ++layouts; };
  IGraphics graphics(delegate, 1206, 616, 60, 1.f);
  graphics.AttachCornerResizer(EUIResizerMode::Scale, false);
  ASSERT_NE(graphics.GetCornerResizer(), nullptr);
  EXPECT_EQ(graphics.GetCornerResizer()->GetRECT(), IRECT(1187.f, 597.f, 1205.f, 615.f));
  EXPECT_EQ(graphics.NControls(), 0); // held apart from the control list

  // Press near the corner and move the pointer to 1.5 times its distance from the view's origin.
  graphics.OnMouseDown(1200.f, 610.f, IMouseMod{true});
  EXPECT_EQ(graphics.GetCapturedControl(), graphics.GetCornerResizer());
  // At scale 1 a unit is a pixel; the window's pixel 1800 is unit 1800 until the scale changes.
  graphics.OnMouseDrag(1800.f, 915.f, IMouseMod{true});
  EXPECT_NEAR(graphics.GetDrawScale(), 1.5f, 1e-4f);
  // The next event arrives in units of the new scale: pixel 2400 is unit 1600, i.e. scale 2.
  graphics.OnMouseDrag(1600.f, 800.f, IMouseMod{true});
  EXPECT_NEAR(graphics.GetDrawScale(), 2.f, 1e-4f);
  graphics.OnMouseUp(1600.f, 800.f, IMouseMod{true});
  EXPECT_EQ(graphics.Width(), 1206);
  EXPECT_EQ(graphics.Height(), 616);
  EXPECT_EQ(layouts, 0);
  EXPECT_TRUE(delegate.mEvents.empty());
}

TEST(GraphicsContext, BitmapsAndTheFontComeFromTheLibrary)
{
  GraphicsTestDelegate delegate;
  IGraphics graphics(delegate, 1206, 616);
  const IBitmap knob = graphics.LoadBitmap("KrellbinderMetal.png", 127, false);
  ASSERT_TRUE(knob.IsValid());
  EXPECT_EQ(knob.W(), 30);
  EXPECT_EQ(knob.H(), 3810);
  EXPECT_EQ(knob.N(), 127);
  EXPECT_EQ(knob.FW(), 30);
  EXPECT_EQ(knob.FH(), 30);
  const IBitmap solo = graphics.LoadBitmap("btnSolo.png", 2);
  EXPECT_EQ(solo.FW(), 26);
  EXPECT_EQ(solo.FH(), 21);
  EXPECT_FALSE(graphics.LoadBitmap("missing.png", 2).IsValid());
  // Names are exact, except where the platform's own resources ignore case (Windows).
  EXPECT_EQ(graphics.LoadBitmap("btnsolo.png", 2).IsValid(), KRB_RESOURCE_NAMES_IGNORE_CASE != 0);

  EXPECT_TRUE(graphics.LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  EXPECT_TRUE(graphics.HasFont("Roboto-Regular"));
  EXPECT_FALSE(graphics.LoadFont("Other", "Other.ttf"));

  graphics.AttachControl(new CountingControl(IRECT(0, 0, 5, 5)), 1);
  graphics.AttachBackground("Background.png");
  ASSERT_EQ(graphics.NControls(), 2);
  auto* background = dynamic_cast<IBitmapControl*>(graphics.GetControl(0));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->GetRECT(), IRECT(0.f, 0.f, 1206.f, 616.f));
  EXPECT_EQ(background->GetTag(), kNoTag);
}

TEST(GraphicsContext, OpeningRunsMakeLayoutAndUIOpenInOrderAndClosingDestroysTheControls)
{
  GraphicsTestDelegate delegate;
  int destroyed = 0;
  delegate.mMakeGraphicsFunc = [&]() -> IGraphics* {
    delegate.mEvents.push_back("make");
    return new IGraphics(delegate, 300, 200);
  };
  delegate.mLayoutFunc = [&](IGraphics* g) {
    delegate.mEvents.push_back("layout");
    g->AttachControl(new CountingControl(IRECT(0, 0, 10, 10), GraphicsTestDelegate::kKnobParam, &destroyed), 3);
  };
  delegate.GetParam(GraphicsTestDelegate::kKnobParam)->SetNormalized(0.25);
  EXPECT_EQ(delegate.GetUI(), nullptr);
  IGraphics* ui = delegate.OpenWindow(nullptr, 1.f);
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(delegate.GetUI(), ui);
  const std::vector<std::string> expected = {"make", "layout", "uiopen"};
  EXPECT_EQ(delegate.mEvents, expected);
  EXPECT_DOUBLE_EQ(ui->GetControlWithTag(3)->GetValue(), 0.25);
  // A second opening while one is open makes nothing.
  EXPECT_EQ(delegate.OpenWindow(nullptr, 1.f), nullptr);

  delegate.CloseWindow();
  EXPECT_EQ(delegate.GetUI(), nullptr);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(delegate.mEvents.back(), "uiclose");

  // Reopening builds everything anew.
  delegate.mEvents.clear();
  ASSERT_NE(delegate.OpenWindow(nullptr, 1.f), nullptr);
  EXPECT_EQ(delegate.mEvents, expected);
  delegate.CloseWindow();
  EXPECT_EQ(destroyed, 2);

  // Without a make-graphics function nothing opens.
  delegate.mMakeGraphicsFunc = nullptr;
  EXPECT_EQ(delegate.OpenWindow(nullptr, 1.f), nullptr);
}

TEST(GraphicsContext, MessagesFromTheCoreReachTheControlOfTheirTagOnly)
{
  GraphicsTestDelegate delegate;
  CountingControl* control = nullptr;
  delegate.mMakeGraphicsFunc = [&]() { return new IGraphics(delegate, 100, 100); };
  delegate.mLayoutFunc = [&](IGraphics* g) {
    control = static_cast<CountingControl*>(g->AttachControl(new CountingControl(IRECT(0, 0, 10, 10)), 44));
  };
  const int record[4] = {44, 1, 0, 3};
  // No editor: dropped.
  delegate.SendControlMsgFromDelegate(44, 0, sizeof(record), record);
  ASSERT_NE(delegate.OpenWindow(nullptr), nullptr);
  delegate.SendControlMsgFromDelegate(45, 0, sizeof(record), record);
  EXPECT_EQ(control->mDataSize, -1);
  delegate.SendControlMsgFromDelegate(44, 0, sizeof(record), record);
  EXPECT_EQ(control->mMsgTag, 0);
  EXPECT_EQ(control->mDataSize, 16);
  EXPECT_EQ(control->mData, record);
  delegate.CloseWindow();
}

TEST(GraphicsContext, RestoringStateSendsEveryParameterToItsControls)
{
  GraphicsTestDelegate delegate;
  IControl* knob = nullptr;
  delegate.mMakeGraphicsFunc = [&]() { return new IGraphics(delegate, 100, 100); };
  delegate.mLayoutFunc = [&](IGraphics* g) {
    knob = g->AttachControl(new CountingControl(IRECT(0, 0, 10, 10), GraphicsTestDelegate::kKnobParam), 1);
  };
  ASSERT_NE(delegate.OpenWindow(nullptr), nullptr);
  delegate.GetParam(GraphicsTestDelegate::kKnobParam)->SetNormalized(0.75);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
  delegate.OnRestoreState();
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.75);
  // A plain value (not normalised) is normalised through the parameter.
  delegate.SendParameterValueFromDelegate(GraphicsTestDelegate::kKnobParam, 0.5, false);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  delegate.CloseWindow();
}
} // namespace
