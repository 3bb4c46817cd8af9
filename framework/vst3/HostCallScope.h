#pragma once

// Marks the calling thread as being inside one of the host's calls into the plug-in, for the life of
// the object; calls nest. A host may hold a lock of its own across such a call that its component
// handler takes too, so the plug-in never calls the handler from inside one: what it has to tell the
// host meanwhile waits for the next idle tick, which the host runs outside its calls.
//
// Not for the audio thread: the first use on a thread may allocate its thread-local storage. process
// never calls the host back, so it needs no scope.
class HostCallScope
{
public:
  HostCallScope();
  ~HostCallScope();
  HostCallScope(const HostCallScope&) = delete;
  HostCallScope& operator=(const HostCallScope&) = delete;

  // True on a thread that is inside one of the host's calls.
  static bool Active();
};
