#include "EditorSettingsPath.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace
{
// An absolute folder from the environment, or empty. Relative values are ignored, as the XDG base
// directory rules ask.
std::filesystem::path AbsoluteFromEnv(const char* name)
{
  const char* value = std::getenv(name);
  if (!value || !*value)
    return {};
  std::filesystem::path folder(value);
  return folder.is_absolute() ? folder : std::filesystem::path();
}

std::filesystem::path HomeFolder()
{
  std::filesystem::path home = AbsoluteFromEnv("HOME");
  if (!home.empty())
    return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/')
    return std::filesystem::path(found->pw_dir);
  return {};
}
} // namespace

// The user's configuration folder: $XDG_CONFIG_HOME, or ~/.config when it is not set.
std::filesystem::path GetSettingsBaseFolder(std::error_code& error)
{
  std::filesystem::path folder = AbsoluteFromEnv("XDG_CONFIG_HOME");
  if (folder.empty())
  {
    std::filesystem::path home = HomeFolder();
    if (!home.empty())
      folder = home / ".config";
  }
  if (folder.empty())
    error = std::make_error_code(std::errc::no_such_file_or_directory);
  else
    error.clear();
  return folder;
}
