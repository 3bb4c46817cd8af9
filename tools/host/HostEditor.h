#pragma once
// The host's editor module: opens a plug-in's editor view in a window that the host makes, drives it
// with a run loop of the host's own (on Linux the host's Linux::IRunLoop, which the view asks for),
// takes screenshots of it and sends it real pointer events (XTest on Linux, SendInput on Windows).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"

namespace krb::host
{

class HostRunLoop;

class EditorWindow
{
public:
  // Attaches the view to a new parent window of the view's size; nullptr with a reason on failure.
  // On Linux the window's frame lends the view runLoop, the host's main loop that the host context
  // may offer the plug-in too, and RunFor pumps it; without one the window has a loop of its own.
  // Windows has no such loop: the parameter is not used there.
  static std::unique_ptr<EditorWindow> Open(Steinberg::IPlugView* view, std::string& error,
                                            HostRunLoop* runLoop = nullptr);
  // Detaches the view (removed) and destroys the parent window.
  virtual ~EditorWindow() = default;

  // Runs the host's loop (window events, the view's file descriptors and timers) for a while.
  virtual void RunFor(int milliseconds) = 0;
  // Runs the loop until the condition holds or the time is up; true when it held.
  bool RunUntil(const std::function<bool()>& condition, int timeoutMs);

  // The parent window's size in pixels (it follows the view's resize requests).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // How many times the view asked for a new size, and the last size it asked for.
  virtual int ResizeRequests() const = 0;

  // The window's pixels, RGBA rows from the top; false when they cannot be read.
  virtual bool Capture(std::vector<uint8_t>& rgba, int& width, int& height) = 0;
  bool SaveScreenshot(const std::string& pngPath);

  // Real pointer events at window pixel positions (the loop runs a little after each).
  virtual void MovePointer(int x, int y) = 0;
  virtual void PressButton() = 0;
  virtual void ReleaseButton() = 0;
  void Click(int x, int y);
  // Press at (x0, y0), move in steps to (x1, y1), release.
  void Drag(int x0, int y0, int x1, int y1, int steps);
};

// Writes RGBA pixels as a PNG file.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);

// Opens the editor, lets it draw its first frames and saves the window's picture.
bool SaveEditorScreenshot(Steinberg::IPlugView* view, const std::string& pngPath, std::string& error);

} // namespace krb::host
