#include "EditorLayout.h"

#include <array>
#include <string>

#include "EditorControls.h"
#include "EditorSettings.h"
#include "EditorSize.h"
#include "EditorTags.h"
#include "Krellbinder.h"
#include "graphics/IGraphics.h"

namespace
{
constexpr int kEditorFps = 60;

// Every column of the channel strip and of the step row is 63 units wide.
constexpr int kColumnPitch = 63;

struct EditorBitmaps
{
  IBitmap led, seq, folder;
  std::array<IBitmap, kNumDrums> select;
  IBitmap prevSample, nextSample;
  std::array<IBitmap, kNumModes> mode;
  std::array<IBitmap, kNumOctaves> octave;
  std::array<IBitmap, kNumPatternsPerOctave> pattern;
  IBitmap solo, mute, play, swing, knob;
};

// Loaded in this order: two frames for each button, then the 127-frame knob strip.
EditorBitmaps LoadEditorBitmaps(IGraphics& g)
{
  auto button = [&g](const std::string& name) { return g.LoadBitmap(name.c_str(), 2, false); };
  EditorBitmaps b;
  b.led = button("btnLed.png");
  b.seq = button("btnSeq.png");
  b.folder = button("btnFolder.png");
  for (int ch = 0; ch < kNumDrums; ++ch)
    b.select[static_cast<size_t>(ch)] = button("btnSel" + std::to_string(ch + 1) + ".png");
  b.prevSample = button("btnPrevSample.png");
  b.nextSample = button("btnNextSample.png");
  b.mode = {button("btnStop.png"), button("btnRun.png"), button("btnHSync.png"), button("btnMidi.png")};
  b.octave = {button("btnPtnOct2.png"), button("btnPtnOct3.png")};
  for (int i = 0; i < kNumPatternsPerOctave; ++i)
    b.pattern[static_cast<size_t>(i)] = button("btnPtn" + std::to_string(i + 1) + ".png");
  b.solo = button("btnSolo.png");
  b.mute = button("btnMute.png");
  b.play = button("btnPlayPreview.png");
  b.swing = button("btnSwing.png");
  b.knob = g.LoadBitmap("KrellbinderMetal.png", 127, false);
  return b;
}

float F(int value) { return static_cast<float>(value); }

// A plain switch: one bitmap frame with its top-left corner at (x, y).
IControl* MakeSwitch(float x, float y, const IBitmap& bitmap, int paramIdx)
{
  return new IBSwitchControl(IRECT::MakeXYWH(x, y, F(bitmap.FW()), F(bitmap.FH())), bitmap, paramIdx);
}

// The master knobs, the step row with its LEDs, and the mode, octave and pattern buttons.
void AttachGlobalControls(Krellbinder& plug, IGraphics& g, const EditorBitmaps& b)
{
  g.AttachControl(new KrbKnobControl(1062, 129, b.knob, kMasterVolume, kCtrlTagMasterVolume), kCtrlTagMasterVolume,
                  "Master knob");
  g.AttachControl(new KrbKnobControl(1062, 174, b.knob, kMasterSwing, kCtrlTagMasterSwing), kCtrlTagMasterSwing,
                  "Swing knob");

  for (int i = 0; i < kNumSteps; ++i)
  {
    g.AttachControl(new GroupBtnControl(F(104 + i * (b.led.W() + 12)), 501, b.led, kLedButton + i, &plug.mDisplayedStep,
                                        i, kCtrlTagLed, kNumSteps),
                    kCtrlTagLed + i, "Led button");
    g.AttachControl(
      new SeqNoteBtnControl(F(104 + i * (b.seq.W() + 11)), 455, b.seq, kSequencerButton + i, kCtrlTagStep + i),
      kCtrlTagStep + i, "Sequencer button");
  }

  for (int i = 0; i < kNumModes; ++i)
    g.AttachControl(new GroupBtnControl(F(104 + i * (b.mode[0].W() + 11)), 543, b.mode[static_cast<size_t>(i)],
                                        kModeButton + i, &plug.mMode, i, kCtrlTagMode, kNumModes),
                    kCtrlTagMode + i, "Mode button");

  for (int i = 0; i < kNumOctaves; ++i)
    g.AttachControl(new GroupBtnControl(F(926 + i * (b.octave[0].W() + 7)), 273, b.octave[static_cast<size_t>(i)],
                                        kOctaveButton + i, &plug.mOctave, i, kCtrlTagOctave, kNumOctaves),
                    kCtrlTagOctave + i, "Octav button");

  for (int i = 0; i < kNumPatternsPerOctave; ++i)
  {
    const float x = F(925 + (i % 3) * (b.pattern[0].W() + 8));
    const float y = F(298 + (i / 3) * (b.pattern[0].FH() + 6));
    g.AttachControl(new GroupBtnControl(x, y, b.pattern[static_cast<size_t>(i)], kPatternButton + i, &plug.mPattern, i,
                                        kCtrlTagPattern, kNumPatternsPerOctave),
                    kCtrlTagPattern + i, "Pattern button");
  }
}

// The sample name under the channel's buttons, until the editor has opened: "Empty1".
IControl* MakeSampleNameLabel(int ch)
{
  const IText style(14.f, IColor(255, 255, 255, 255), "Roboto-Regular", EAlign::Center, EVAlign::Middle, 0.f);
  const float left = F(100 + kColumnPitch * ch);
  return new ITextControl(IRECT(left, 155, left + 55, 175), "Empty1", style);
}

// The thirteen controls of one channel column, top to bottom.
void AttachChannelControls(Krellbinder& plug, IGraphics& g, const EditorBitmaps& b, int ch)
{
  g.AttachControl(new BounceBtnControl(F(110 + ch * (b.play.W() + 52)), 113, b.play, kPlayButton + ch),
                  kCtrlTagPlay + ch, "Channel play button");
  g.AttachControl(
    new BounceBtnControl(F(124 + ch * (b.prevSample.W() + 52)), 109, b.prevSample, kPreviousSampleButton + ch),
    kCtrlTagPrevSample + ch, "");
  g.AttachControl(new BounceBtnControl(F(124 + ch * (b.nextSample.W() + 52)), F(109 + b.nextSample.FH()), b.nextSample,
                                       kNextSampleButton + ch),
                  kCtrlTagNextSample + ch, "");
  g.AttachControl(MakeSwitch(F(138 + ch * (b.folder.W() + 42)), 110, b.folder, kFolderButton + ch), kCtrlTagBrowse + ch,
                  "Browse button");
  g.AttachControl(new SoloMuteBtnControl(F(131 + ch * (b.solo.W() + 37)), 132, b.solo, kSoloButton + ch),
                  kCtrlTagSolo + ch, "Channel solo button");
  g.AttachControl(new SoloMuteBtnControl(F(104 + ch * (b.mute.W() + 37)), 132, b.mute, kMuteButton + ch),
                  kCtrlTagMute + ch, "Channel mute button");
  g.AttachControl(MakeSampleNameLabel(ch), kCtrlTagSampleName + ch, "Channel sample name");

  const float knobX = F(115 + ch * (b.knob.W() + 33));
  g.AttachControl(new KrbKnobControl(knobX, 189, b.knob, kPanKnob + ch, kCtrlTagPanKnob + ch), kCtrlTagPanKnob + ch,
                  "Channel pan knob");
  g.AttachControl(new KrbKnobControl(knobX, 232, b.knob, kVolumeKnob + ch, kCtrlTagVolumeKnob + ch),
                  kCtrlTagVolumeKnob + ch, "Channel volume knob");
  g.AttachControl(new KrbKnobControl(knobX, 275, b.knob, kPitchKnob + ch, kCtrlTagPitchKnob + ch),
                  kCtrlTagPitchKnob + ch, "Channel pitch knob");
  // The swing button's pitch is the browse column's: it is wider than its column.
  g.AttachControl(MakeSwitch(F(108 + ch * (b.folder.W() + 42)), 308, b.swing, kSwingButton + ch), kCtrlTagSwing + ch,
                  "Channel swing button");
  g.AttachControl(new KrbKnobControl(knobX, 339, b.knob, kLengthKnob + ch, kCtrlTagLengthKnob + ch),
                  kCtrlTagLengthKnob + ch, "Channel length knob");

  const IBitmap& select = b.select[static_cast<size_t>(ch)];
  g.AttachControl(new GroupBtnControl(F(105 + ch * (b.select[0].W() + 11)), 373, select, kSelectedDrumButton + ch,
                                      &plug.mSelectedDrum, ch, kCtrlTagDrumSelect, kNumDrums),
                  kCtrlTagDrumSelect + ch, "Drum select button");
}
} // namespace

IGraphics* MakeEditorGraphics(Krellbinder& plug)
{
  return MakeGraphics(plug, kEditorWidth, kEditorHeight, kEditorFps, 1.f);
}

void LayoutEditor(Krellbinder& plug, IGraphics* pGraphics)
{
  if (!pGraphics)
    return;
  IGraphics& g = *pGraphics;
  // Dragging the corner scales the whole view; the layout never runs again for it.
  g.AttachCornerResizer(EUIResizerMode::Scale, false);
  g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
  g.AttachBackground("Background.png");

  const EditorBitmaps bitmaps = LoadEditorBitmaps(g);
  AttachGlobalControls(plug, g, bitmaps);
  for (int ch = 0; ch < kNumDrums; ++ch)
    AttachChannelControls(plug, g, bitmaps, ch);

  // The saved scale wins over this instance's last one; without a file the instance's stays.
  LoadEditorSettings(&plug.mGuiSize);
  g.Resize(kEditorWidth, kEditorHeight, static_cast<float>(plug.mGuiSize));
}
