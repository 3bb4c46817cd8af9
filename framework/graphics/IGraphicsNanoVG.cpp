#include "IGraphicsNanoVG.h"

#include <cmath>

#include "KrbGL.h"
#include "nanovg.h"
#define NANOVG_GL2 1
#include "nanovg_gl.h"

namespace
{
NVGcolor ToNVG(const IColor& c)
{
  return nvgRGBA(static_cast<unsigned char>(c.R), static_cast<unsigned char>(c.G), static_cast<unsigned char>(c.B),
                 static_cast<unsigned char>(c.A));
}
} // namespace

IGraphicsNanoVG::~IGraphicsNanoVG()
{
  // The window frees the drawing context while its OpenGL context is current; nothing is left here.
}

bool IGraphicsNanoVG::CreateDrawContext()
{
  if (mVG)
    return true;
  if (!KrbLoadGL())
    return false;
  mVG = nvgCreateGL2(NVG_ANTIALIAS);
  return mVG != nullptr;
}

void IGraphicsNanoVG::DestroyDrawContext()
{
  if (!mVG)
    return;
  for (const auto& image : mImages)
    nvgDeleteImage(mVG, image.second);
  mImages.clear();
  mLoadedFonts.clear();
  nvgDeleteGL2(mVG);
  mVG = nullptr;
}

void IGraphicsNanoVG::LoadPendingFonts()
{
  for (const FontResource& font : GetFonts())
  {
    if (mLoadedFonts.count(font.mID))
      continue;
    // The bytes belong to the library and outlive the context: NanoVG must not free them.
    nvgCreateFontMem(mVG, font.mID.c_str(), const_cast<unsigned char*>(font.mData), static_cast<int>(font.mSize), 0);
    mLoadedFonts.insert(font.mID);
  }
}

void IGraphicsNanoVG::DrawFrame(int widthPx, int heightPx)
{
  if (!mVG)
    return;
  LoadPendingFonts();
  glViewport(0, 0, widthPx, heightPx);
  glClearColor(0.f, 0.f, 0.f, 1.f);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  nvgBeginFrame(mVG, static_cast<float>(widthPx), static_cast<float>(heightPx), 1.f);
  const float scale = GetTotalScale();
  nvgScale(mVG, scale, scale);
  Draw();
  nvgEndFrame(mVG);
}

void IGraphicsNanoVG::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend)
{
  const BitmapData* data = bitmap.GetData();
  if (!mVG || !data || !data->mPixels)
    return;
  auto found = mImages.find(data);
  if (found == mImages.end())
  {
    const int image = nvgCreateImageRGBA(mVG, data->mWidth, data->mHeight, 0, data->mPixels.get());
    if (image <= 0)
      return;
    found = mImages.emplace(data, image).first;
  }
  const float alpha = blend ? blend->mWeight : 1.f;
  // The whole bitmap placed so that the wanted frame falls on the destination, filled through it.
  const NVGpaint paint =
    nvgImagePattern(mVG, dest.L - static_cast<float>(srcX), dest.T - static_cast<float>(srcY),
                    static_cast<float>(data->mWidth), static_cast<float>(data->mHeight), 0.f, found->second, alpha);
  nvgSave(mVG);
  if (blend && blend->mMethod == EBlend::Add)
    nvgGlobalCompositeBlendFunc(mVG, NVG_SRC_ALPHA, NVG_ONE);
  nvgBeginPath(mVG);
  nvgRect(mVG, dest.L, dest.T, dest.W(), dest.H());
  nvgFillPaint(mVG, paint);
  nvgFill(mVG);
  nvgRestore(mVG);
}

void IGraphicsNanoVG::FillRect(const IColor& color, const IRECT& bounds)
{
  if (!mVG)
    return;
  nvgBeginPath(mVG);
  nvgRect(mVG, bounds.L, bounds.T, bounds.W(), bounds.H());
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
}

void IGraphicsNanoVG::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3)
{
  if (!mVG)
    return;
  nvgBeginPath(mVG);
  nvgMoveTo(mVG, x1, y1);
  nvgLineTo(mVG, x2, y2);
  nvgLineTo(mVG, x3, y3);
  nvgClosePath(mVG);
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
}

void IGraphicsNanoVG::DrawText(const IText& text, const char* str, const IRECT& bounds)
{
  if (!mVG || !str || !*str || text.mFont.empty() || !mLoadedFonts.count(text.mFont))
    return;
  int align = 0;
  float x = bounds.L;
  float y = bounds.T;
  switch (text.mAlign)
  {
    case EAlign::Near:
      align |= NVG_ALIGN_LEFT;
      x = bounds.L;
      break;
    case EAlign::Center:
      align |= NVG_ALIGN_CENTER;
      x = bounds.MW();
      break;
    case EAlign::Far:
      align |= NVG_ALIGN_RIGHT;
      x = bounds.R;
      break;
  }
  switch (text.mVAlign)
  {
    case EVAlign::Top:
      align |= NVG_ALIGN_TOP;
      y = bounds.T;
      break;
    case EVAlign::Middle:
      align |= NVG_ALIGN_MIDDLE;
      y = bounds.MH();
      break;
    case EVAlign::Bottom:
      align |= NVG_ALIGN_BOTTOM;
      y = bounds.B;
      break;
  }
  nvgSave(mVG);
  nvgIntersectScissor(mVG, bounds.L, bounds.T, bounds.W(), bounds.H());
  nvgFontFace(mVG, text.mFont.c_str());
  nvgFontSize(mVG, text.mSize);
  nvgFillColor(mVG, ToNVG(text.mFGColor));
  nvgTextAlign(mVG, align);
  if (text.mAngle != 0.f)
  {
    nvgTranslate(mVG, x, y);
    nvgRotate(mVG, nvgDegToRad(text.mAngle));
    x = 0.f;
    y = 0.f;
  }
  nvgText(mVG, x, y, str, nullptr);
  nvgRestore(mVG);
}
