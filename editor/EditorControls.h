#pragma once

#include <atomic>
#include <cstdint>

#include "graphics/IControl.h"

// The editor's own controls. Each changes only how a click becomes a parameter value, or how a record
// that the core queues for the editor reaches the screen; drawing is the framework's (the frame of the
// bitmap that matches the value).
//
// Records from the core are ignored when the receiving control is disabled or the message tag is not
// kUpdateMessage; a record shorter than its full size reads as all zeros.

// One button of a radio group (step LEDs, drum select, mode, octave, pattern). A record to the
// group's first button stores the received index in the plug-in field behind mSelectedIdx, lights the
// matching button and has every button of the group send its parameter, 1 for the lit one and 0 for the
// others, in button order. A click lights the clicked button and sends its parameter alone, unless the
// parameter is on already; the core moves the others.
class GroupBtnControl : public IBSwitchControl
{
public:
  GroupBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx, std::atomic<int32_t>* selectedIdx,
                  int buttonIdx, int firstTag, int numButtons);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMsgFromDelegate(int msgTag, int dataSize, const void* pData) override;

private:
  // Lights button `lit` of the group, and with `send` sends every button's parameter.
  void SelectInGroup(int32_t lit, bool send);

  std::atomic<int32_t>* mSelectedIdx;
  int32_t mButtonIdx;
  int32_t mFirstTag;
  int32_t mNumButtons;
};

// One step button of the 16-step row. A record with the row's 16 step flags (to the first step
// button) sets every step button; only those whose value changed send their parameter.
class SeqNoteBtnControl : public IBSwitchControl
{
public:
  SeqNoteBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx, int ctrlTag);

  void OnMsgFromDelegate(int msgTag, int dataSize, const void* pData) override;

private:
  int32_t mCtrlTag;
};

// A channel's solo or mute button. A record with the twelve channel states (to channel 0's mute
// button) lights the solo lamp of every soloed channel and the mute lamp of every silent one; lamps
// lit this way send nothing to the core, and a lamp that the mouse holds keeps its value. A click
// switches the channel's solo or mute: it sends 1 when the parameter is off and 0 when it is on.
class SoloMuteBtnControl : public IBSwitchControl
{
public:
  SoloMuteBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMsgFromDelegate(int msgTag, int dataSize, const void* pData) override;
};

// A momentary button (play, previous and next sample): 1 on every press, 0 on every release.
class BounceBtnControl : public IBSwitchControl
{
public:
  BounceBtnControl(float x, float y, const IBitmap& bitmap, int paramIdx);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
};

// A knob of the strip. A record with one double value sets the knob under mCtrlTag (this knob) and
// sends its parameter.
class KrbKnobControl : public IBKnobControl
{
public:
  KrbKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, int ctrlTag);

  void OnMsgFromDelegate(int msgTag, int dataSize, const void* pData) override;

private:
  int32_t mCtrlTag;
};
