#include "CriticalSection.h"

#include <mutex>

struct CriticalSection::Impl
{
  std::recursive_mutex mutex;
};

CriticalSection::CriticalSection()
  : mImpl(std::make_unique<Impl>())
{
}
CriticalSection::~CriticalSection() = default;
void CriticalSection::Enter() { mImpl->mutex.lock(); }
void CriticalSection::Leave() { mImpl->mutex.unlock(); }
