#include "IdleTimer.h"

namespace
{
class RunLoopDrivenTimer final : public IdleTimer
{
public:
  RunLoopDrivenTimer(std::function<void()> onTick, int intervalMs)
    : IdleTimer(std::move(onTick), intervalMs)
  {
  }
  bool RunsByItself() const override { return false; }
};
} // namespace

std::unique_ptr<IdleTimer> IdleTimer::Create(std::function<void()> onTick, int intervalMs)
{
  return std::unique_ptr<IdleTimer>(new RunLoopDrivenTimer(std::move(onTick), intervalMs));
}
