#pragma once

#include <memory>

// A lock for the rare places that must serialise work on the main threads (never the audio thread).
// A critical section on Windows, a mutex elsewhere.
class CriticalSection
{
public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  void Leave();

private:
  struct Impl;
  std::unique_ptr<Impl> mImpl;
};

// Holds a CriticalSection for the life of the scope, released on every path out of it.
class CriticalSectionLock
{
public:
  explicit CriticalSectionLock(CriticalSection& section)
    : mSection(section)
  {
    mSection.Enter();
  }
  ~CriticalSectionLock() { mSection.Leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
  CriticalSection& mSection;
};
