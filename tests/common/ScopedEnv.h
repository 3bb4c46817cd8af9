#pragma once

// An environment variable set for the life of an object (POSIX).

#include <cstdlib>
#include <optional>
#include <string>

namespace krbtest
{
// Sets (or, with no value, removes) an environment variable, and restores it when the object goes.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const std::optional<std::string>& value)
    : mName(name)
  {
    if (const char* old = std::getenv(name))
      mOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv()
  {
    if (mOld)
      setenv(mName.c_str(), mOld->c_str(), 1);
    else
      unsetenv(mName.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  std::string mName;
  std::optional<std::string> mOld;
};
} // namespace krbtest
