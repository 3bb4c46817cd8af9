#include "EditorSettings.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <string>
#include <string_view>

#include "EditorSettingsPath.h"

namespace
{
constexpr std::string_view kKey = "guiSize";
constexpr std::string_view kPrefix = "{\n\t\"guiSize\": \"";
constexpr std::string_view kSuffix = "\"\n}";

// "%f" in the C locale, whatever locale the host has set.
std::string FormatScale(double scale)
{
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), scale, std::chars_format::fixed, 6);
  return std::string(buffer, result.ptr);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads a number as std::stod does (leading white space skipped, the longest numeric prefix taken,
// anything after it ignored), but in the C locale and without throwing. Values that are not finite
// are refused: no scale can be made of them.
bool ConvertNumber(std::string_view text, double& value)
{
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start]))
    ++start;
  text.remove_prefix(start);
  if (!text.empty() && text.front() == '+')
  {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-')
      return false;
  }
  double parsed = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

enum class ELine
{
  kSkipped,
  kValue,
  kDamaged
};

// One line of the file. The value is cut out three characters after the colon (past the colon, the
// blank and the opening quote of the written form) up to the last quote.
ELine ReadLine(std::string_view line, double& value)
{
  if (line.size() < 7 || line.find(kKey) == std::string_view::npos)
    return ELine::kSkipped;
  const size_t firstQuote = line.find('"');
  const std::string_view rest = firstQuote == std::string_view::npos ? line : line.substr(firstQuote + 1);
  const size_t colon = rest.find(':');
  const size_t lastQuote = rest.rfind('"');
  // Unsigned on purpose: a missing colon starts the cut at 2, and a missing or early closing quote
  // makes the length wrap around so that the cut runs to the end of the line.
  const size_t start = colon + 3;
  const size_t length = lastQuote - colon - 3;
  if (start > rest.size())
    return ELine::kDamaged;
  return ConvertNumber(rest.substr(start, length), value) ? ELine::kValue : ELine::kDamaged;
}
} // namespace

std::filesystem::path GetSettingsFilePath()
{
  std::error_code error;
  std::filesystem::path folder = GetSettingsBaseFolder(error);
  if (error)
    throw std::filesystem::filesystem_error("no folder for the editor settings", error);
  folder /= "Ombrix";
  folder /= "Krellbinder";
  std::filesystem::create_directories(folder);
  return folder / "settings.json";
}

void SaveEditorSettings(double scale) noexcept
{
  try
  {
    // Text mode: the line ends are the platform's own (CR LF on Windows).
    std::ofstream file(GetSettingsFilePath(), std::ios::out | std::ios::trunc);
    if (!file.is_open())
      return;
    std::string text;
    text.append(kPrefix).append(FormatScale(scale)).append(kSuffix);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  catch (...)
  {
    // Runs in the plug-in's destructor: a settings file that cannot be written is not worth more.
  }
}

void LoadEditorSettings(double* target) noexcept
{
  if (!target)
    return;
  try
  {
    // Binary, so that CR LF and LF files read alike on every platform.
    std::ifstream file(GetSettingsFilePath(), std::ios::in | std::ios::binary);
    if (!file.is_open())
      return;
    // A damaged value discards the whole file: the scale stays what it was.
    bool found = false;
    double value = 0.0;
    std::string line;
    while (std::getline(file, line))
    {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      double lineValue = 0.0;
      switch (ReadLine(line, lineValue))
      {
        case ELine::kSkipped:
          break;
        case ELine::kValue:
          value = lineValue; // the last qualifying line wins
          found = true;
          break;
        case ELine::kDamaged:
          return;
      }
    }
    if (found)
      *target = value;
  }
  catch (...)
  {
    // Runs while the editor opens: without a readable file the scale stays as it was.
  }
}
