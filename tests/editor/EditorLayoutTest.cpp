#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "EditorControls.h"
#include "EditorLayout.h"
#include "EditorSettings.h"
#include "EditorSize.h"
#include "EditorTags.h"
#include "PluginPtr.h"
#include "TempConfigHome.h"
#include "graphics/IGraphics.h"

namespace
{
enum class EKind
{
  Group,
  SeqNote,
  SoloMute,
  Bounce,
  Knob,
  Switch,
  Label
};

struct Expected
{
  int tag;
  EKind kind;
  float x, y, w, h;
  int param;
  std::string group;
};

// The 208 controls in attach order, from the editor's drawing: every column is 63 units wide. The tags
// are written out here; the other tests name them (EditorTags.h).
std::vector<Expected> ExpectedControls()
{
  std::vector<Expected> e;
  e.push_back({206, EKind::Knob, 1062, 129, 30, 30, 194, "Master knob"});
  e.push_back({207, EKind::Knob, 1062, 174, 30, 30, 195, "Swing knob"});
  for (int i = 0; i < 16; ++i)
  {
    const float x = 104.f + 63.f * i;
    e.push_back({i, EKind::Group, x, 501, 51, 11, i, "Led button"});
    e.push_back({28 + i, EKind::SeqNote, x, 455, 52, 40, 28 + i, "Sequencer button"});
  }
  for (int i = 0; i < 4; ++i)
    e.push_back({80 + i, EKind::Group, 104.f + 63.f * i, 543, 52, 40, 80 + i, "Mode button"});
  for (int i = 0; i < 2; ++i)
    e.push_back({84 + i, EKind::Group, 926.f + 59.f * i, 273, 52, 19, 84 + i, "Octav button"});
  for (int i = 0; i < 12; ++i)
    e.push_back(
      {134 + i, EKind::Group, 925.f + 60.f * (i % 3), 298.f + 25.f * (i / 3), 52, 19, 122 + i, "Pattern button"});
  for (int ch = 0; ch < 12; ++ch)
  {
    const float c = 63.f * ch;
    e.push_back({86 + ch, EKind::Bounce, 110 + c, 113, 11, 11, 86 + ch, "Channel play button"});
    e.push_back({68 + ch, EKind::Bounce, 124 + c, 109, 11, 10, 56 + ch, ""});
    e.push_back({56 + ch, EKind::Bounce, 124 + c, 119, 11, 10, 68 + ch, ""});
    e.push_back({16 + ch, EKind::Switch, 138 + c, 110, 21, 18, 16 + ch, "Browse button"});
    e.push_back({98 + ch, EKind::SoloMute, 131 + c, 132, 26, 21, 98 + ch, "Channel solo button"});
    e.push_back({110 + ch, EKind::SoloMute, 104 + c, 132, 26, 21, 110 + ch, "Channel mute button"});
    e.push_back({122 + ch, EKind::Label, 100 + c, 155, 55, 20, kNoParameter, "Channel sample name"});
    e.push_back({146 + ch, EKind::Knob, 115 + c, 189, 30, 30, 134 + ch, "Channel pan knob"});
    e.push_back({158 + ch, EKind::Knob, 115 + c, 232, 30, 30, 146 + ch, "Channel volume knob"});
    e.push_back({170 + ch, EKind::Knob, 115 + c, 275, 30, 30, 158 + ch, "Channel pitch knob"});
    e.push_back({182 + ch, EKind::Switch, 108 + c, 308, 45, 18, 170 + ch, "Channel swing button"});
    e.push_back({194 + ch, EKind::Knob, 115 + c, 339, 30, 30, 182 + ch, "Channel length knob"});
    e.push_back({44 + ch, EKind::Group, 105 + c, 373, 52, 19, 44 + ch, "Drum select button"});
  }
  return e;
}

bool IsKind(IControl* control, EKind kind)
{
  switch (kind)
  {
    case EKind::Group:
      return dynamic_cast<GroupBtnControl*>(control) != nullptr;
    case EKind::SeqNote:
      return dynamic_cast<SeqNoteBtnControl*>(control) != nullptr;
    case EKind::SoloMute:
      return dynamic_cast<SoloMuteBtnControl*>(control) != nullptr;
    case EKind::Bounce:
      return dynamic_cast<BounceBtnControl*>(control) != nullptr;
    case EKind::Knob:
      return dynamic_cast<KrbKnobControl*>(control) != nullptr;
    case EKind::Switch:
      // The framework's own switch, not one of ours.
      return dynamic_cast<IBSwitchControl*>(control) && !dynamic_cast<GroupBtnControl*>(control) &&
             !dynamic_cast<SeqNoteBtnControl*>(control) && !dynamic_cast<SoloMuteBtnControl*>(control) &&
             !dynamic_cast<BounceBtnControl*>(control);
    case EKind::Label:
      return dynamic_cast<ITextControl*>(control) != nullptr;
  }
  return false;
}

class EditorLayoutTest : public ::testing::Test
{
protected:
  // A window-less view laid out as the editor lays out its window.
  std::unique_ptr<IGraphics> LaidOut()
  {
    auto graphics = std::make_unique<IGraphics>(*mPlugin, kEditorWidth, kEditorHeight, 60, 1.f);
    LayoutEditor(*mPlugin, graphics.get());
    return graphics;
  }
  void WriteSettings(const std::string& value)
  {
    std::filesystem::create_directories(mHome.SettingsFolder());
    std::ofstream(mHome.SettingsFile()) << "{\n\t\"guiSize\": \"" << value << "\"\n}";
  }

  krbtest::TempConfigHome mHome;
  PluginPtr mPlugin = MakePlugin();
};

TEST_F(EditorLayoutTest, BackgroundThenTheControlsInAttachOrder)
{
  auto g = LaidOut();
  const std::vector<Expected> expected = ExpectedControls();
  ASSERT_EQ(expected.size(), 208u);
  ASSERT_EQ(g->NControls(), 209);

  IControl* background = g->GetControl(0);
  ASSERT_TRUE(dynamic_cast<IBitmapControl*>(background));
  EXPECT_EQ(background->GetTag(), kNoTag);
  EXPECT_EQ(background->GetParamIdx(), kNoParameter);
  EXPECT_EQ(background->GetRECT(), IRECT(0, 0, kEditorWidth, kEditorHeight));

  for (size_t i = 0; i < expected.size(); ++i)
  {
    const Expected& e = expected[i];
    IControl* control = g->GetControl(static_cast<int>(i) + 1);
    SCOPED_TRACE("control " + std::to_string(i) + ", tag " + std::to_string(e.tag));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetTag(), e.tag);
    EXPECT_TRUE(IsKind(control, e.kind));
    EXPECT_EQ(control->GetRECT(), IRECT::MakeXYWH(e.x, e.y, e.w, e.h));
    EXPECT_EQ(control->GetParamIdx(), e.param);
    EXPECT_EQ(std::string(control->GetGroup()), e.group);
  }
}

TEST_F(EditorLayoutTest, EveryTagBelongsToExactlyOneControl)
{
  auto g = LaidOut();
  std::multiset<int> tags;
  for (int i = 0; i < g->NControls(); ++i)
    tags.insert(g->GetControl(i)->GetTag());
  for (int tag = 0; tag < kNumCtrlTags; ++tag)
  {
    EXPECT_EQ(tags.count(tag), 1u) << tag;
    ASSERT_NE(g->GetControlWithTag(tag), nullptr) << tag;
    EXPECT_EQ(g->GetControlWithTag(tag)->GetTag(), tag);
  }
  for (int tag = kNumCtrlTags; tag < 400; ++tag)
    EXPECT_EQ(g->GetControlWithTag(tag), nullptr) << tag;
}

TEST_F(EditorLayoutTest, TagsThatDifferFromTheirParameters)
{
  auto g = LaidOut();
  EXPECT_EQ(g->GetControlWithTag(kCtrlTagPrevSample)->GetParamIdx(), kPreviousSampleButton); // tag 68, param 56
  EXPECT_EQ(g->GetControlWithTag(kCtrlTagNextSample)->GetParamIdx(), kNextSampleButton);     // tag 56, param 68
  EXPECT_EQ(g->GetControlWithTag(kCtrlTagPattern)->GetParamIdx(), kPatternButton);           // tag 134, param 122
  EXPECT_EQ(g->GetControlWithTag(kCtrlTagSampleName)->GetParamIdx(), kNoParameter);          // tag 122
  EXPECT_EQ(g->GetControlWithTag(kCtrlTagMasterSwing)->GetParamIdx(), kMasterSwing);
  for (int i = 0; i < 16; ++i) // the step, its LED and (for the first four) its mode share one left edge
  {
    EXPECT_EQ(g->GetControlWithTag(kCtrlTagStep + i)->GetRECT().L, g->GetControlWithTag(kCtrlTagLed + i)->GetRECT().L);
    if (i < 4)
    {
      EXPECT_EQ(g->GetControlWithTag(kCtrlTagMode + i)->GetRECT().L,
                g->GetControlWithTag(kCtrlTagLed + i)->GetRECT().L);
    }
  }
}

TEST_F(EditorLayoutTest, NoTwoControlsOverlap)
{
  auto g = LaidOut();
  for (int a = 1; a < g->NControls(); ++a)
    for (int b = a + 1; b < g->NControls(); ++b)
      EXPECT_FALSE(g->GetControl(a)->GetRECT().Intersects(g->GetControl(b)->GetRECT()))
        << g->GetControl(a)->GetTag() << " and " << g->GetControl(b)->GetTag();
}

TEST_F(EditorLayoutTest, GroupsWriteTheirPluginFields)
{
  auto g = LaidOut();
  struct GroupCase
  {
    int firstTag, count;
    std::atomic<int32_t>* field;
  };
  const GroupCase kGroups[] = {{kCtrlTagLed, 16, &mPlugin->mDisplayedStep},
                               {kCtrlTagMode, 4, &mPlugin->mMode},
                               {kCtrlTagOctave, 2, &mPlugin->mOctave},
                               {kCtrlTagPattern, 12, &mPlugin->mPattern},
                               {kCtrlTagDrumSelect, 12, &mPlugin->mSelectedDrum}};
  for (const GroupCase& group : kGroups)
  {
    const ISenderData<1, int32_t> record(group.firstTag, {group.count - 1});
    g->GetControlWithTag(group.firstTag)->OnMsgFromDelegate(kUpdateMessage, sizeof(record), &record);
    EXPECT_EQ(group.field->load(), group.count - 1) << group.firstTag;
    for (int i = 0; i < group.count; ++i)
      EXPECT_EQ(g->GetControlWithTag(group.firstTag + i)->GetValue(0), i == group.count - 1 ? 1.0 : 0.0);
  }
}

TEST_F(EditorLayoutTest, SampleNameLabelsBeforeTheEditorOpens)
{
  auto g = LaidOut();
  EXPECT_TRUE(g->HasFont("Roboto-Regular"));
  for (int ch = 0; ch < 12; ++ch)
  {
    auto* label = dynamic_cast<ITextControl*>(g->GetControlWithTag(kCtrlTagSampleName + ch));
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->GetStr(), "Empty1");
    const IText& text = label->GetText();
    EXPECT_EQ(text.mSize, 14.f);
    EXPECT_EQ(text.mFGColor, IColor(255, 255, 255, 255));
    EXPECT_EQ(text.mFont, "Roboto-Regular");
    EXPECT_EQ(text.mAlign, EAlign::Center);
    EXPECT_EQ(text.mVAlign, EVAlign::Middle);
    EXPECT_EQ(text.mAngle, 0.f);
    EXPECT_TRUE(label->GetIgnoreMouse());
  }
}

TEST_F(EditorLayoutTest, BitmapsAndCornerResizer)
{
  auto g = LaidOut();
  auto* knob = dynamic_cast<IBitmapControl*>(g->GetControlWithTag(kCtrlTagMasterVolume));
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->GetBitmap().N(), 127);
  EXPECT_EQ(knob->GetBitmap().H(), 3810);
  auto* select = dynamic_cast<IBitmapControl*>(g->GetControlWithTag(kCtrlTagDrumSelect + 11));
  EXPECT_STREQ(select->GetBitmap().GetResourceName(), "btnSel12.png");
  auto* pattern = dynamic_cast<IBitmapControl*>(g->GetControlWithTag(kCtrlTagPattern + 9));
  EXPECT_STREQ(pattern->GetBitmap().GetResourceName(), "btnPtn10.png");
  auto* mode = dynamic_cast<IBitmapControl*>(g->GetControlWithTag(kCtrlTagMode + 2));
  EXPECT_STREQ(mode->GetBitmap().GetResourceName(), "btnHSync.png");
  EXPECT_EQ(mode->GetBitmap().N(), 2);

  ASSERT_NE(g->GetCornerResizer(), nullptr);
  EXPECT_EQ(g->GetCornerResizer()->GetRECT(), IRECT(1187, 597, 1205, 615));
  EXPECT_EQ(g->GetResizerMode(), EUIResizerMode::Scale);
}

// --- the saved scale

TEST_F(EditorLayoutTest, WithoutSettingsTheEditorOpensAtScaleOne)
{
  auto g = LaidOut();
  EXPECT_EQ(g->GetDrawScale(), 1.f);
  EXPECT_EQ(g->Width(), kEditorWidth);
  EXPECT_EQ(g->Height(), kEditorHeight);
  EXPECT_DOUBLE_EQ(mPlugin->mGuiSize, 1.0);
}

TEST_F(EditorLayoutTest, SavedScaleIsClampedToTheViewsRange)
{
  struct ScaleCase
  {
    const char* saved;
    float scale;
  };
  const ScaleCase kCases[] = {{"1.500000", 1.5f}, {"8", 4.0f}, {"0.25", 0.5f}};
  for (const ScaleCase& c : kCases)
  {
    WriteSettings(c.saved);
    auto g = LaidOut();
    EXPECT_EQ(g->GetDrawScale(), c.scale) << c.saved;
  }
}

TEST_F(EditorLayoutTest, ReopenedEditorKeepsTheInstancesScaleUnlessAFileSaysOtherwise)
{
  mPlugin->mGuiSize = 2.0; // the scale of this instance's previous editor
  EXPECT_EQ(LaidOut()->GetDrawScale(), 2.f);
  WriteSettings("1.250000");
  EXPECT_EQ(LaidOut()->GetDrawScale(), 1.25f);
  EXPECT_DOUBLE_EQ(mPlugin->mGuiSize, 1.25);
}
} // namespace
