#pragma once

// Watches the calling thread for allocations, locks and sleeping or writing system calls.
namespace realtime_watch
{
struct Counts
{
  int allocations;
  int locks;
  int systemCalls;
};

void Begin();
Counts End();
} // namespace realtime_watch
