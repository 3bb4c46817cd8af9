// The framework's Windows platform services, through the real Windows API.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/DebugOutput.h"
#include "platform/IdleTimer.h"
#include "WinMessages.h"

using krbtest::PumpMessagesUntil;

TEST(IdleTimerWin, TicksThroughTheMessageLoopOfItsThread)
{
  int ticks = 0;
  DWORD tickThread = 0;
  auto timer = IdleTimer::Create(
    [&] {
      ++ticks;
      tickThread = GetCurrentThreadId();
    },
    20);
  ASSERT_TRUE(timer);
  EXPECT_TRUE(timer->RunsByItself());
  EXPECT_EQ(timer->GetIntervalMs(), 20);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticks >= 3; }, 10000)) << "ticks: " << ticks;
  EXPECT_EQ(tickThread, GetCurrentThreadId());
}

TEST(IdleTimerWin, StopsWhenDestroyed)
{
  int ticks = 0;
  auto timer = IdleTimer::Create([&] { ++ticks; }, 10);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks >= 1; }, 10000));
  timer.reset();
  const int ticksAtDestruction = ticks;
  PumpMessagesUntil([] { return false; }, 200);
  EXPECT_EQ(ticks, ticksAtDestruction);
}

TEST(IdleTimerWin, SeveralTimersTickIndependently)
{
  int ticksA = 0;
  int ticksB = 0;
  auto timerA = IdleTimer::Create([&] { ++ticksA; }, 10);
  auto timerB = IdleTimer::Create([&] { ++ticksB; }, 10);
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticksA >= 2 && ticksB >= 2; }, 10000));
  timerA.reset();
  const int ticksAAtDestruction = ticksA;
  const int ticksBBefore = ticksB;
  EXPECT_TRUE(PumpMessagesUntil([&] { return ticksB >= ticksBBefore + 2; }, 10000));
  EXPECT_EQ(ticksA, ticksAAtDestruction);
}

TEST(CriticalSectionWin, ExcludesOtherThreads)
{
  CriticalSection section;
  long long counter = 0; // deliberately not atomic: only the lock protects it
  constexpr int kThreads = 4;
  constexpr int kIncrements = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < kIncrements; ++i)
      {
        CriticalSectionLock lock(section);
        const long long seen = counter;
        if ((i & 255) == 0)
          SwitchToThread();
        counter = seen + 1;
      }
    });
  for (auto& thread : threads)
    thread.join();
  EXPECT_EQ(counter, static_cast<long long>(kThreads) * kIncrements);
}

TEST(CriticalSectionWin, IsReentrantOnItsOwnThread)
{
  // Windows critical sections may be entered again by the thread that holds them.
  CriticalSection section;
  section.Enter();
  section.Enter();
  section.Leave();
  section.Leave();
  std::atomic<bool> entered{false};
  std::thread other([&] {
    CriticalSectionLock lock(section);
    entered = true;
  });
  other.join();
  EXPECT_TRUE(entered);
}

namespace
{
// OutputDebugString reaches a debugger as a first-chance exception that carries the text; a vectored
// handler sees it too, which lets the test read what was written without a debugger.
std::vector<std::string> gDebugTexts;

LONG CALLBACK CollectDebugText(EXCEPTION_POINTERS* info)
{
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  constexpr DWORD kPrintWide = 0x4001000A; // DBG_PRINTEXCEPTION_WIDE_C
  if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
    gDebugTexts.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
  else if (record->ExceptionCode == kPrintWide && record->NumberParameters >= 2)
  {
    const auto* wide = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
    std::string narrow;
    for (; *wide; ++wide)
      narrow += (*wide < 0x80) ? static_cast<char>(*wide) : '?';
    gDebugTexts.push_back(narrow);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

bool DebugTextSeen(const std::string& marker)
{
  for (const auto& text : gDebugTexts)
    if (text.find(marker) != std::string::npos)
      return true;
  return false;
}
} // namespace

TEST(DebugOutputWin, WritesWideAndUtf8TextToTheDebuggerOutput)
{
  gDebugTexts.clear();
  void* handler = AddVectoredExceptionHandler(1, CollectDebugText);
  ASSERT_NE(handler, nullptr);
  OutputDebugText(L"krb-probe-wide line\n");
  OutputDebugText("krb-probe-utf8 \xC3\xBC line\n");
  OutputDebugText(static_cast<const wchar_t*>(nullptr));
  OutputDebugText(static_cast<const char*>(nullptr));
  RemoveVectoredExceptionHandler(handler);
  EXPECT_TRUE(DebugTextSeen("krb-probe-wide line"));
  EXPECT_TRUE(DebugTextSeen("krb-probe-utf8 "));
}
