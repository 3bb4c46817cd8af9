#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

// Small value types of the editor: rectangles, colours, text styles, mouse modifiers, bitmaps.
// Coordinates are view units: pixels at draw scale 1.0, origin at the top-left corner.

struct IRECT
{
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  IRECT() = default;
  IRECT(float l, float t, float r, float b)
    : L(l)
    , T(t)
    , R(r)
    , B(b)
  {
  }
  // The rectangle of the given size with its top-left corner at (x, y).
  static IRECT MakeXYWH(float x, float y, float w, float h) { return IRECT(x, y, x + w, y + h); }

  float W() const { return R - L; }
  float H() const { return B - T; }
  float MW() const { return 0.5f * (L + R); }
  float MH() const { return 0.5f * (T + B); }
  bool Empty() const { return W() <= 0.f || H() <= 0.f; }
  // Half-open: the right and bottom edges belong to the neighbour.
  bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }
  bool Intersects(const IRECT& other) const
  {
    return !Empty() && !other.Empty() && L < other.R && other.L < R && T < other.B && other.T < B;
  }
  // Grown by padding on every side (shrunk for a negative padding).
  IRECT GetPadded(float padding) const { return IRECT(L - padding, T - padding, R + padding, B + padding); }
  IRECT GetScaled(float scale) const { return IRECT(L * scale, T * scale, R * scale, B * scale); }
  bool operator==(const IRECT& other) const { return L == other.L && T == other.T && R == other.R && B == other.B; }
  bool operator!=(const IRECT& other) const { return !(*this == other); }
};

struct IColor
{
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b)
    : A(a)
    , R(r)
    , G(g)
    , B(b)
  {
  }
  bool operator==(const IColor& other) const { return A == other.A && R == other.R && G == other.G && B == other.B; }
  bool operator!=(const IColor& other) const { return !(*this == other); }
  bool IsTransparent() const { return A == 0; }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_LIGHT_GRAY(255, 200, 200, 200);
inline constexpr IColor COLOR_DARK_GRAY(255, 70, 70, 70);
inline constexpr IColor COLOR_TRANSLUCENT(10, 0, 0, 0);

enum class EAlign
{
  Near,
  Center,
  Far
};

enum class EVAlign
{
  Top,
  Middle,
  Bottom
};

// How a text is drawn: size in view units, colour, font (the ID given to IGraphics::LoadFont),
// alignment inside its rectangle, angle in degrees, and the colours of a text entry.
struct IText
{
  float mSize = 14.f;
  IColor mFGColor = COLOR_BLACK;
  std::string mFont;
  EAlign mAlign = EAlign::Center;
  EVAlign mVAlign = EVAlign::Middle;
  float mAngle = 0.f;
  IColor mTextEntryBGColor = COLOR_WHITE;
  IColor mTextEntryFGColor = COLOR_BLACK;

  IText() = default;
  explicit IText(float size, const IColor& color = COLOR_BLACK, const char* fontID = nullptr,
                 EAlign align = EAlign::Center, EVAlign valign = EVAlign::Middle, float angle = 0.f,
                 const IColor& textEntryBGColor = COLOR_WHITE, const IColor& textEntryFGColor = COLOR_BLACK)
    : mSize(size)
    , mFGColor(color)
    , mFont(fontID ? fontID : "")
    , mAlign(align)
    , mVAlign(valign)
    , mAngle(angle)
    , mTextEntryBGColor(textEntryBGColor)
    , mTextEntryFGColor(textEntryFGColor)
  {
  }
};

// Mouse buttons and modifier keys of a mouse event.
struct IMouseMod
{
  bool L = false; // left button
  bool R = false; // right button
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt
};

enum class EBlend
{
  Default,
  Add
};

struct IBlend
{
  EBlend mMethod = EBlend::Default;
  float mWeight = 1.f; // opacity 0 .. 1
};

// What the corner resizer changes: the draw scale of the whole view, or the view's size in units.
enum class EUIResizerMode
{
  Scale,
  Size
};

enum class EDirection
{
  Vertical,
  Horizontal
};

// Decoded pixels of one bitmap resource: RGBA, 8 bits a channel, rows top to bottom.
struct BitmapData
{
  std::string mName;
  int mWidth = 0;
  int mHeight = 0;
  std::unique_ptr<unsigned char[]> mPixels;
};

// A bitmap of one or more frames of equal size, stacked vertically or side by side.
class IBitmap
{
public:
  IBitmap() = default;
  IBitmap(std::shared_ptr<const BitmapData> data, int nFrames, bool framesAreHorizontal)
    : mData(std::move(data))
    , mN(std::max(nFrames, 1))
    , mFramesAreHorizontal(framesAreHorizontal)
  {
  }

  bool IsValid() const { return mData != nullptr; }
  int W() const { return mData ? mData->mWidth : 0; }
  int H() const { return mData ? mData->mHeight : 0; }
  int N() const { return mN; }
  // The size of one frame.
  int FW() const { return mFramesAreHorizontal ? W() / mN : W(); }
  int FH() const { return mFramesAreHorizontal ? H() : H() / mN; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  const char* GetResourceName() const { return mData ? mData->mName.c_str() : ""; }
  const BitmapData* GetData() const { return mData.get(); }

private:
  std::shared_ptr<const BitmapData> mData;
  int mN = 1;
  bool mFramesAreHorizontal = false;
};
