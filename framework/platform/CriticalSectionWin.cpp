#include "CriticalSection.h"

#include <windows.h>

struct CriticalSection::Impl
{
  CRITICAL_SECTION section;
};

CriticalSection::CriticalSection()
  : mImpl(std::make_unique<Impl>())
{
  InitializeCriticalSection(&mImpl->section);
}
CriticalSection::~CriticalSection() { DeleteCriticalSection(&mImpl->section); }
void CriticalSection::Enter() { EnterCriticalSection(&mImpl->section); }
void CriticalSection::Leave() { LeaveCriticalSection(&mImpl->section); }
