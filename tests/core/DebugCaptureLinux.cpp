#include "DebugCapture.h"

#include <gtest/gtest.h>

// The debugger output is standard error here.
std::string CaptureDebugOutput(const std::function<void()>& run)
{
  testing::internal::CaptureStderr();
  run();
  return testing::internal::GetCapturedStderr();
}
