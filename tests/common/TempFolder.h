#pragma once

// A temporary folder for the files a test makes, and the plug-in's form of a path in it.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace krbtest
{
// A fresh folder under the system's temporary folder, removed with everything in it when the object
// goes.
class TempFolder
{
public:
  TempFolder()
  {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && mPath.empty(); ++attempt)
    {
      const std::filesystem::path candidate =
        base / ("krb-test-" + std::to_string(random()) + "-" + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec))
        mPath = candidate;
    }
    if (mPath.empty())
      throw std::runtime_error("no temporary folder could be made under " + base.string());
  }
  ~TempFolder()
  {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return mPath; }
  // A name in the folder, given in UTF-8.
  std::filesystem::path operator/(const std::string& name) const { return mPath / std::filesystem::u8path(name); }

private:
  std::filesystem::path mPath;
};

// A path as the plug-in holds it (UTF-16). Test paths are ASCII.
inline std::u16string U16(const std::filesystem::path& path)
{
  const std::string text = path.string();
  return std::u16string(text.begin(), text.end());
}
} // namespace krbtest
