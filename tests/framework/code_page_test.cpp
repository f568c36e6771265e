// The code page converter: every page's characters out to UTF-8 and back,
// undefined bytes, refused characters and the names options give.
#include <gtest/gtest.h>

#include "framework/CodePage.hpp"

namespace trovex {
namespace {

std::string ToUtf8(unsigned page, std::string_view bytes) {
  std::string out;
  TCodePage::Of(page).AppendUtf8(out, bytes);
  return out;
}

std::string FromUtf8(unsigned page, std::string_view text) {
  std::string out;
  const auto refusal = TCodePage::Of(page).AppendEncoded(out, text);
  EXPECT_FALSE(refusal) << "page " << page;
  return out;
}

TEST(CodePageTest, EveryCharacterOfEveryPageComesBack) {
  for (const unsigned page : SupportedCodePages()) {
    if (page == kUtf8CodePage) continue;
    std::size_t defined = 0;
    for (unsigned first = 0x20; first < 0x100; ++first) {
      for (unsigned second = 0; second < (first < 0x80 ? 1u : 0x100u); ++second) {
        std::string bytes(1, static_cast<char>(first));
        if (first >= 0x80) bytes += static_cast<char>(second);
        // A byte of its own is tried once; a pair only after a lead byte.
        const std::string text = ToUtf8(page, bytes);
        const std::string single = ToUtf8(page, bytes.substr(0, 1));
        const bool pair = single == "\xEF\xBF\xBD" && text.size() > 0 && text.find("\xEF\xBF\xBD") == std::string::npos;
        if (first >= 0x80 && !pair && second != 0) continue;
        if (text.find("\xEF\xBF\xBD") != std::string::npos) continue;
        ++defined;
        // A character some other sequence stands for too goes back as the
        // lowest sequence, which shows it alike.
        EXPECT_EQ(ToUtf8(page, FromUtf8(page, text)), text) << "page " << page << " byte " << first;
      }
    }
    EXPECT_GT(defined, page == 932 || page == 936 || page == 949 || page == 950 ? 7000u : 180u) << page;
  }
}

TEST(CodePageTest, KnownCharactersOfEachKindOfPage) {
  EXPECT_EQ(ToUtf8(1252, "\x80 caf\xE9"), "€ café");
  EXPECT_EQ(ToUtf8(1250, "\xF5"), "ő");
  EXPECT_EQ(ToUtf8(1251, "\xC6"), "Ж");
  EXPECT_EQ(ToUtf8(932, "\x93\xFA\x96\x7B <A>"), "日本 <A>");
  EXPECT_EQ(ToUtf8(936, "\xD6\xD0"), "中");
  EXPECT_EQ(ToUtf8(949, "\xC7\xD1"), "한");
  EXPECT_EQ(ToUtf8(950, "\xA4\xA4"), "中");
  EXPECT_EQ(FromUtf8(932, "日本"), "\x93\xFA\x96\x7B");
  EXPECT_EQ(FromUtf8(1250, "ő"), "\xF5");
  EXPECT_EQ(FromUtf8(kUtf8CodePage, "ő"), "ő");
}

TEST(CodePageTest, UndefinedBytesShowAsReplacementCharacters) {
  EXPECT_EQ(ToUtf8(1252, "a\x81z"), "a\xEF\xBF\xBDz");
  // Defined by one system's table only: undefined on both.
  EXPECT_EQ(ToUtf8(1255, "\xCA"), "\xEF\xBF\xBD");
  // A lead byte without a trail, and one before a byte that is no trail.
  EXPECT_EQ(ToUtf8(932, "x\x93"), "x\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(932, "\x93\r\n"), "\xEF\xBF\xBD\r\n");
  EXPECT_EQ(ToUtf8(kUtf8CodePage, "a\xC3(\xFF"), "a\xEF\xBF\xBD(\xEF\xBF\xBD");
}

TEST(CodePageTest, CharactersWithoutPlaceAreRefusedWithPosition) {
  std::string out;
  const auto refusal = TCodePage::Of(1252).AppendEncoded(out, "ab ő c");
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->position, 3u);
  EXPECT_EQ(refusal->character, char32_t{0x151});
  const auto replacement = TCodePage::Of(1252).AppendEncoded(out, "\xEF\xBF\xBD");
  ASSERT_TRUE(replacement);
  EXPECT_EQ(replacement->character, kReplacementCharacter);
  const auto invalid = TCodePage::Of(kUtf8CodePage).AppendEncoded(out, "ok\xC0\x80");
  ASSERT_TRUE(invalid);
  EXPECT_EQ(invalid->position, 2u);
  EXPECT_FALSE(invalid->character);
}

TEST(CodePageTest, NamesOfPages) {
  EXPECT_EQ(CodePageOfName("1252"), 1252u);
  EXPECT_EQ(CodePageOfName("CP932"), 932u);
  EXPECT_EQ(CodePageOfName("utf8"), kUtf8CodePage);
  EXPECT_EQ(CodePageOfName("UTF-8"), kUtf8CodePage);
  EXPECT_FALSE(CodePageOfName("1259"));
  EXPECT_FALSE(CodePageOfName("437"));
  EXPECT_EQ(CodePageName(kUtf8CodePage), "UTF-8");
  for (const unsigned page : SupportedCodePages()) EXPECT_EQ(CodePageOfName(CodePageName(page)), page);
}

}  // namespace
}  // namespace trovex
