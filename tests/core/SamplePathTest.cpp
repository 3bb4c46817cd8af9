#include <gtest/gtest.h>

#include <string>

#include "SamplePath.h"

namespace
{
// Writes a path with '|' standing for this platform's folder separator.
std::u16string P(const std::u16string& text)
{
  std::u16string path = text;
  for (auto& c : path)
    if (c == u'|')
      c = PathSeparator();
  return path;
}
} // namespace

TEST(SamplePath, SeparatorIsThePlatformsOwn)
{
#ifdef _WIN32
  EXPECT_EQ(PathSeparator(), u'\\');
#else
  EXPECT_EQ(PathSeparator(), u'/');
#endif
}

struct DisplayNameCase
{
  std::u16string path;
  std::string name;
};

TEST(SamplePath, DisplayNames)
{
  const DisplayNameCase cases[] = {
    {P(u"C:|Samples|kick 01.wav"), "kick 01"},
    {P(u"C:|Kits.new|kick"), "kick"}, // a full stop only in a folder name
    {u"kick.wav", "kick"},
    {P(u"C:|Samples|.wav"), ""},
    {P(u"C:|Samples|"), ""},
    {u"", ""},
    {P(u"|home|me|kick.final.wav"), "kick.final"},
    {P(u"|kits|caf\u00e9 snare.aif"), "caf\xC3\xA9 snare"},
    {P(u"|kits|\U0001F941.wav"), "\xF0\x9F\xA5\x81"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetSampleDisplayName(c.path), c.name);
}

TEST(SamplePath, OtherSeparatorIsAnOrdinaryCharacter)
{
#ifdef _WIN32
  EXPECT_EQ(GetSampleDisplayName(u"C:/Samples/kick.wav"), "C:/Samples/kick");
#else
  EXPECT_EQ(GetSampleDisplayName(u"C:\\Samples\\kick.wav"), "C:\\Samples\\kick");
#endif
}

struct Utf8Case
{
  std::u16string text;
  std::string utf8;
};

TEST(SamplePath, Utf16ToUtf8)
{
  const Utf8Case cases[] = {
    {u"abc", "abc"},
    {u"\u00e9", "\xC3\xA9"},
    {u"\u20ac", "\xE2\x82\xAC"},
    {u"\U0001F941", "\xF0\x9F\xA5\x81"},                                              // a surrogate pair
    {std::u16string(1, char16_t(0xD83E)), "\xEF\xBF\xBD"},                            // lone high surrogate
    {std::u16string(1, char16_t(0xDD41)), "\xEF\xBF\xBD"},                            // lone low surrogate
    {std::u16string{char16_t(0xDD41), char16_t(0xD83E)}, "\xEF\xBF\xBD\xEF\xBF\xBD"}, // reversed pair
    {std::u16string{char16_t(0xD83E), u'a'}, "\xEF\xBF\xBD"
                                             "a"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf16ToUtf8(c.text), c.utf8);
}
