#include "HostEditor.h"

#include <chrono>

namespace krb::host
{

bool EditorWindow::RunUntil(const std::function<bool()>& condition, int timeoutMs)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition())
  {
    if (std::chrono::steady_clock::now() >= end)
      return condition();
    RunFor(5);
  }
  return true;
}

bool EditorWindow::SaveScreenshot(const std::string& pngPath)
{
  std::vector<uint8_t> rgba;
  int width = 0;
  int height = 0;
  return Capture(rgba, width, height) && WritePng(pngPath, rgba, width, height);
}

void EditorWindow::Click(int x, int y)
{
  MovePointer(x, y);
  PressButton();
  ReleaseButton();
}

void EditorWindow::Drag(int x0, int y0, int x1, int y1, int steps)
{
  MovePointer(x0, y0);
  PressButton();
  for (int i = 1; i <= steps; ++i)
    MovePointer(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
  ReleaseButton();
}

bool SaveEditorScreenshot(Steinberg::IPlugView* view, const std::string& pngPath, std::string& error)
{
  auto window = EditorWindow::Open(view, error);
  if (!window)
    return false;
  // Long enough for the first idle ticks and frames (the view redraws at its frame rate).
  window->RunFor(300);
  if (!window->SaveScreenshot(pngPath))
  {
    error = "cannot read the editor window or write " + pngPath;
    return false;
  }
  return true;
}

} // namespace krb::host

extern "C" int KrbWritePngFile(const char* path, int w, int h, const void* rgba);

namespace krb::host
{
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height)
{
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return false;
  return KrbWritePngFile(path.c_str(), width, height, rgba.data()) != 0;
}
} // namespace krb::host
