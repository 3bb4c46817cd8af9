#pragma once

#include <set>
#include <string>
#include <unordered_map>

#include "IGraphics.h"

struct NVGcontext;

// The editor drawn with NanoVG on OpenGL 2. The drawing context is made and freed by the window
// while its OpenGL context is current.
class IGraphicsNanoVG : public IGraphics
{
public:
  using IGraphics::IGraphics;
  ~IGraphicsNanoVG() override;

  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) override;
  void FillRect(const IColor& color, const IRECT& bounds) override;
  void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3) override;
  void DrawText(const IText& text, const char* str, const IRECT& bounds) override;

protected:
  // With the OpenGL context current.
  bool CreateDrawContext();
  void DestroyDrawContext();
  // Draws the whole view into a framebuffer of the given pixel size.
  void DrawFrame(int widthPx, int heightPx);
  bool HasDrawContext() const { return mVG != nullptr; }

private:
  void LoadPendingFonts();

  NVGcontext* mVG = nullptr;
  std::unordered_map<const BitmapData*, int> mImages;
  std::set<std::string> mLoadedFonts;
};
