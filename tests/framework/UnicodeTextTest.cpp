#include <gtest/gtest.h>

#include "plugin/UnicodeText.h"

namespace
{
struct Utf16Case
{
  std::u16string utf16;
  std::string lenient;
  bool strictValid;
};

const Utf16Case kUtf16Cases[] = {
  {u"C:\\k.wav", "C:\\k.wav", true},
  {u"caf\u00e9", "caf\xc3\xa9", true},
  {u"\u30c9\u30e9\u30e0", "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0", true},
  {u"\U0001F941", "\xf0\x9f\xa5\x81", true},                            // a surrogate pair
  {std::u16string(1, char16_t(0xD83E)) + u"x", "\xef\xbf\xbdx", false}, // lone high surrogate
  {std::u16string(1, char16_t(0xDD41)), "\xef\xbf\xbd", false},         // lone low surrogate
  {std::u16string(u"a\0b", 3), std::string("a\0b", 3), false},          // NUL names no file
};

TEST(UnicodeTextTest, Utf16ToUtf8)
{
  for (const auto& c : kUtf16Cases)
  {
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.lenient);
    const auto strict = Utf16ToUtf8Strict(c.utf16);
    EXPECT_EQ(strict.has_value(), c.strictValid) << c.lenient;
    if (strict)
    {
      EXPECT_EQ(*strict, c.lenient);
    }
  }
}

struct Utf8Case
{
  std::string utf8;
  std::u16string lenient;
  bool strictValid;
};

const Utf8Case kUtf8Cases[] = {
  {"k.wav", u"k.wav", true},
  {"\xf0\x9f\xa5\x81", u"\U0001F941", true},
  {"\xc0\xaf", u"\uFFFD", false},         // overlong
  {"\xed\xa0\x80", u"\uFFFD", false},     // an encoded surrogate
  {"\xf4\x90\x80\x80", u"\uFFFD", false}, // past U+10FFFF
  {"ab\xe3\x83", u"ab\uFFFD", false},     // cut off
  {"\xff", u"\uFFFD", false},
};

TEST(UnicodeTextTest, Utf8ToUtf16)
{
  for (const auto& c : kUtf8Cases)
  {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.lenient) << c.utf8;
    const auto strict = Utf8ToUtf16Strict(c.utf8);
    EXPECT_EQ(strict.has_value(), c.strictValid) << c.utf8;
    if (strict)
    {
      EXPECT_EQ(*strict, c.lenient);
    }
  }
}
} // namespace
