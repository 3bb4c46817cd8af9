// The demo kit as the editor shows it: every sample's name fits its channel's label, measured with
// the font the editor draws it in.
#include <gtest/gtest.h>

#include <string>

#include "EditorSize.h"
#include "EditorTags.h"
#include "KitSynth.h"
#include "PluginPtr.h"
#include "TempConfigHome.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsResources.h"

#define STBTT_STATIC // the editor's own copy is linked in as well
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

namespace
{
// The advance of a line of text as the editor's text drawing lays it out: each glyph's advance at
// the font's pixel height, rounded per glyph, plus the font's kerning between neighbours.
int TextWidth(const ResourceBytes& font, float size, const std::string& text)
{
  stbtt_fontinfo info{};
  if (!stbtt_InitFont(&info, font.data, stbtt_GetFontOffsetForIndex(font.data, 0)))
    return -1;
  const float scale = stbtt_ScaleForPixelHeight(&info, size);
  int width = 0;
  int previous = -1;
  for (const unsigned char c : text)
  {
    const int glyph = stbtt_FindGlyphIndex(&info, c);
    if (previous != -1)
      width += static_cast<int>(static_cast<float>(stbtt_GetGlyphKernAdvance(&info, previous, glyph)) * scale + 0.5f);
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
    width += static_cast<int>(static_cast<short>(scale * static_cast<float>(advance) * 10.f) / 10.f + 0.5f);
    previous = glyph;
  }
  return width;
}

TEST(DemoKitLabelsTest, EverySampleNameFitsItsLabel)
{
  krbtest::TempConfigHome home;
  PluginPtr plugin = MakeInitializedPlugin();
  Krellbinder& plug = *plugin;
  plugin->SetMakeGraphicsFunc([&plug]() { return new IGraphics(plug, kEditorWidth, kEditorHeight, 60, 1.f); });
  const auto kit = kitgen::SynthesizeKit(8000.0);
  ASSERT_EQ(kit.size(), static_cast<size_t>(kNumDrums));
  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    const std::string& file = kit[static_cast<size_t>(ch)].mFileName;
    plugin->mSlots[static_cast<size_t>(ch)].ClearSample(u"/kit/" + std::u16string(file.begin(), file.end()));
  }
  IGraphics* ui = plugin->OpenWindow(nullptr);
  ASSERT_NE(ui, nullptr);

  for (int ch = 0; ch < kNumDrums; ++ch)
  {
    const std::string& file = kit[static_cast<size_t>(ch)].mFileName;
    SCOPED_TRACE(file);
    const auto* label = dynamic_cast<const ITextControl*>(ui->GetControlWithTag(kCtrlTagSampleName + ch));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(std::string(label->GetStr()), file.substr(0, file.rfind('.')));
    const IText& style = label->GetText();
    // The layout loads the font from the library's file of the same name.
    ASSERT_TRUE(ui->HasFont(style.mFont.c_str())) << style.mFont;
    ResourceBytes font;
    ASSERT_TRUE(FindLibraryResource((style.mFont + ".ttf").c_str(), "TTF", nullptr, font)) << style.mFont;
    // Two pixels clear at each end: the glyphs' ink reaches a little past their advance.
    const int width = TextWidth(font, style.mSize, label->GetStr());
    EXPECT_GT(width, 0);
    EXPECT_LE(width + 4, static_cast<int>(label->GetRECT().W())) << label->GetStr() << " is " << width << " pixels";
  }
  plugin->CloseWindow();
}
} // namespace
