#pragma once

#include <functional>
#include <string>

// Runs the function and returns, in UTF-8, what it wrote to the debugger output on this thread.
std::string CaptureDebugOutput(const std::function<void()>& run);
