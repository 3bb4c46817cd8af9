// Counts, on the thread being watched, every call into the allocator, into the locking primitives
// and into the system calls that put a thread to sleep or write output. The executable's own
// definitions take the place of the C library's for the whole process (the plug-in code is linked in),
// and forward to the library's implementations.

#include "Interposers.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace
{
thread_local bool tWatching = false;
std::atomic<int> gAllocations{0};
std::atomic<int> gLocks{0};
std::atomic<int> gSystemCalls{0};

void CountAllocation()
{
  if (tWatching)
    gAllocations.fetch_add(1, std::memory_order_relaxed);
}
void CountLock()
{
  if (tWatching)
    gLocks.fetch_add(1, std::memory_order_relaxed);
}
void CountSystemCall()
{
  if (tWatching)
    gSystemCalls.fetch_add(1, std::memory_order_relaxed);
}

template <class Function>
Function Next(const char* name)
{
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

namespace realtime_watch
{
void Begin()
{
  gAllocations = 0;
  gLocks = 0;
  gSystemCalls = 0;
  tWatching = true;
}
Counts End()
{
  tWatching = false;
  return {gAllocations.load(), gLocks.load(), gSystemCalls.load()};
}
} // namespace realtime_watch

extern "C" {
void* malloc(size_t size)
{
  CountAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
  CountAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
  CountAllocation();
  return __libc_realloc(pointer, size);
}
void free(void* pointer)
{
  if (pointer)
    CountAllocation();
  __libc_free(pointer);
}
void* aligned_alloc(size_t alignment, size_t size)
{
  CountAllocation();
  return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size)
{
  CountAllocation();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size)
{
  CountAllocation();
  *out = __libc_memalign(alignment, size);
  return *out ? 0 : ENOMEM;
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
  static auto next = Next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
  CountLock();
  return next(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
  static auto next = Next<int (*)(pthread_mutex_t*)>("pthread_mutex_trylock");
  CountLock();
  return next(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock)
{
  static auto next = Next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_rdlock");
  CountLock();
  return next(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock)
{
  static auto next = Next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_wrlock");
  CountLock();
  return next(lock);
}
int pthread_spin_lock(pthread_spinlock_t* lock)
{
  static auto next = Next<int (*)(pthread_spinlock_t*)>("pthread_spin_lock");
  CountLock();
  return next(lock);
}
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex)
{
  static auto next = Next<int (*)(pthread_cond_t*, pthread_mutex_t*)>("pthread_cond_wait");
  CountLock();
  return next(condition, mutex);
}
int sem_wait(sem_t* semaphore)
{
  static auto next = Next<int (*)(sem_t*)>("sem_wait");
  CountLock();
  return next(semaphore);
}

ssize_t write(int fd, const void* data, size_t size)
{
  static auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  CountSystemCall();
  return next(fd, data, size);
}
int nanosleep(const struct timespec* duration, struct timespec* remaining)
{
  static auto next = Next<int (*)(const struct timespec*, struct timespec*)>("nanosleep");
  CountSystemCall();
  return next(duration, remaining);
}
int clock_nanosleep(clockid_t clock, int flags, const struct timespec* duration, struct timespec* remaining)
{
  static auto next = Next<int (*)(clockid_t, int, const struct timespec*, struct timespec*)>("clock_nanosleep");
  CountSystemCall();
  return next(clock, flags, duration, remaining);
}
int sched_yield()
{
  static auto next = Next<int (*)()>("sched_yield");
  CountSystemCall();
  return next();
}
}

// The C++ allocation functions, so that a library's own operator new is counted as well.
void* operator new(size_t size)
{
  CountAllocation();
  if (void* p = __libc_malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  CountAllocation();
  return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept
{
  if (p)
    CountAllocation();
  __libc_free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
