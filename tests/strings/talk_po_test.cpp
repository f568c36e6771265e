// String tables out to PO files and back, as a user runs it with trovex-cli,
// checked by gettext's own tools and Python's polib.
#include <gtest/gtest.h>
#include <algorithm>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "builders/TalkBuilder.hpp"
#include "framework/CodePage.hpp"
#include "framework/Paths.hpp"
#include "framework/Stream.hpp"
#include "strings/PoReader.hpp"
#include "strings/PoText.hpp"
#include "strings/TalkDump.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using test::ReadFileBytes;
using test::RunCli;
using test::RunProcess;
using test::WriteFileBytes;

// Runs a Python program that uses polib on the PO file at path.
std::string Polib(const std::string& program, const std::string& path) {
  const auto result = RunProcess({"/usr/bin/python3", "-c", "import polib, sys\n" + program, path});
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

class TalkPoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(TROVEX_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "trovex-cli is not built";
    if (!PoFilesAvailable()) GTEST_SKIP() << "this build reads no PO files";
    TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
    ForceDirectories(dir / "game");
  }

  // Writes the table and extracts it to dialog.po with the extra options.
  void Extract(const std::string& table, std::vector<std::string> options = {}) {
    WriteFileBytes(source, table);
    std::vector<std::string> args = {"--type", "talk", "--text", "po", "--output", dir / "out", source};
    args.insert(args.begin(), options.begin(), options.end());
    const auto extracted = RunCli(args);
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    ASSERT_EQ(extracted.out, po + " extracted sucessfully.\nOperation complete!\n");
    Tool({"/usr/bin/msgfmt", "--check", "-o", "/dev/null", po});
  }

  test::ProcessResult Replay() { return RunCli({"--type", "log", "--output", dir / "new", dir / "out/result.log"}); }

  // Replays and gives the rebuilt table's strings.
  std::vector<std::string> Rebuilt() {
    const auto replayed = Replay();
    EXPECT_EQ(replayed.status, 0) << replayed.err;
    lastOut = replayed.out;
    return build::TalkTableStrings(ReadFileBytes(dir / "new/dialog.tlk"));
  }

  static void Tool(const std::vector<std::string>& argv) {
    const auto result = RunProcess(argv);
    ASSERT_EQ(result.status, 0) << argv[0] << ": " << result.err;
  }

  test::TempDir dir;
  std::string source = dir / "game/dialog.tlk";
  std::string po = dir / "out/dialog.po";
  std::string lastOut;
};

// The number of strings that hold text, and so have an entry.
std::size_t WithText(const std::vector<std::string>& strings) {
  return static_cast<std::size_t>(
      std::count_if(strings.begin(), strings.end(), [](const std::string& s) { return !s.empty() && s[0] != '\0'; }));
}

// text without the bytes that code page 1252 leaves undefined: a changed
// translation of a string that holds them is refused.
std::string Defined(std::string text) {
  for (char& c : text) {
    if (std::string_view("\x81\x8D\x8F\x90\x9D").find(c) != std::string_view::npos) c = 'X';
  }
  return text;
}

// Strings with every kind of break, bytes behind a NUL, an undefined byte,
// quotes, backslashes, tabs, unclosed tokens and empty strings.
std::vector<std::string> AwkwardStrings() {
  std::vector<std::string> strings = {
      "Hello <CHARNAME>!", "CR LF\r\nbreaks\r\n", "lone\rCR", "\n\nleading and trailing\n\n", "mixed\r\nbreaks\nhere\r",
      std::string("text\0hidden bytes", 17), "caf\xE9 \x81 UNDEFINED", "\"quoted\" back\\slash\ttab", "5 < 6", "",
      "\r\n", "<A> and <B> and <A>"};
  build::Random random(20);
  for (int i = 0; i < 300; ++i) strings.push_back(Defined(build::RandomTalkString(random, 40)));
  return strings;
}

TEST_F(TalkPoTest, HeaderEntriesAndCommentsAsWritten) {
  std::vector<build::TalkEntry> entries = {{"Hello <CHARNAME>!", std::string("\0\0SPCH1234", 10)},
                                           {"", std::string("\0\0SPCH0001", 10)},
                                           {"Bye\r\nnow", ""}};
  entries[2].attributes = std::string(18, '\0');
  Extract(build::MakeTalkTable(entries), {"--language", "de", "--code-page", "1250"});
  std::string text = ReadFileBytes(po);
  const std::size_t version = text.find("Trovex ") + 7;
  text.replace(version, text.find('\\', version) - version, "V");
  EXPECT_EQ(text.substr(0, text.find("\n\n")),
            "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: dialog.tlk\\n\"\n\"Language: de\\n\"\n"
            "\"MIME-Version: 1.0\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
            "\"Content-Transfer-Encoding: 8bit\\n\"\n\"X-Generator: Trovex V\\n\"\n"
            "\"X-Trovex-Code-Page: 1250\\n\"");
  EXPECT_EQ(Polib("for e in polib.pofile(sys.argv[1]):\n"
                  "  print(repr((e.msgctxt, e.msgid, e.msgstr, e.comment, e.flags)))",
                  po),
            "('0', 'Hello <CHARNAME>!', '', 'sound: SPCH1234', [])\n('2', 'Bye\\nnow', '', '', [])\n");
  EXPECT_EQ(ReadFileBytes(dir / "out/result.log"),
            "#Format: TALK\r\n#Source: " + source + "\r\n#Target PO: " + po + "\r\n");
}

TEST_F(TalkPoTest, EveryStringComesBackByteForByteAfterMsgenAndOtherToolsRewrites) {
  const std::vector<std::string> strings = AwkwardStrings();
  const std::string table = build::MakeTalkTable(strings);
  Extract(table);
  Tool({"/usr/bin/msgen", "-o", po, po});
  Replay();
  EXPECT_EQ(ReadFileBytes(dir / "new/dialog.tlk"), table);
  // Sorted, and with an obsolete entry: still the same.
  Tool({"/usr/bin/msgcat", "--sort-output", "-o", po, po});
  std::string text = ReadFileBytes(po);
  WriteFileBytes(po, text + "\n#~ msgctxt \"3\"\n#~ msgid \"old\"\n#~ msgstr \"alt\"\n");
  const auto replayed = Replay();
  EXPECT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(ReadFileBytes(dir / "new/dialog.tlk"), table);
  EXPECT_NE(replayed.out.find("dialog.po: " + std::to_string(WithText(strings)) +
                              " translated, 0 fuzzy (not used), 0 untranslated."),
            std::string::npos)
      << replayed.out;
}

TEST_F(TalkPoTest, EditsByGettextToolsChangeExactlyTheStringsTheyTouch) {
  const std::vector<std::string> strings = AwkwardStrings();
  Extract(build::MakeTalkTable(strings));
  Tool({"/usr/bin/msgen", "-o", po, po});
  Tool({"/usr/bin/msgfilter", "--keep-header", "-i", po, "-o", po, "sed", "-e", "s/e/E/g"});
  const std::vector<std::string> rebuilt = Rebuilt();
  ASSERT_EQ(rebuilt.size(), strings.size());
  const TCodePage& page = TCodePage::Of(1252);
  for (std::size_t i = 0; i < strings.size(); ++i) {
    const std::string text = strings[i].substr(0, strings[i].find('\0'));
    std::string shown = ShownText(text, page);
    if (shown.find('e') == std::string::npos) {
      EXPECT_EQ(rebuilt[i], strings[i]) << i;
      continue;
    }
    for (char& c : shown) c = c == 'e' ? 'E' : c;
    // The breaks go back as CR LF where the string's first break was one.
    std::string expected;
    page.AppendEncoded(expected, shown);
    const bool crlf = BreaksWithCrLf(TSourceText(text));
    std::string withBreaks;
    for (const char c : expected) withBreaks += c == '\n' && crlf ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(rebuilt[i], withBreaks) << i;
  }
  // Marked fuzzy, no translation is used.
  Tool({"/usr/bin/msgattrib", "--set-fuzzy", "-o", po, po});
  EXPECT_EQ(Rebuilt(), strings);
  EXPECT_NE(lastOut.find(": 0 translated, " + std::to_string(WithText(strings)) + " fuzzy (not used), 0 untranslated."),
            std::string::npos)
      << lastOut;
}

TEST_F(TalkPoTest, EveryCharacterOfEveryCodePageGoesOutAndBack) {
  for (const unsigned page : SupportedCodePages()) {
    SCOPED_TRACE(CodePageName(page));
    const bool doubleByte = page == 932 || page == 936 || page == 949 || page == 950;
    std::vector<std::string> strings = build::EveryCharacterStrings(doubleByte);
    if (page == kUtf8CodePage) strings = {"gr\xC3\xBC\xC3\x9F dich \xE2\x82\xAC \xF0\x9F\x98\x80", "bad \xC3 byte"};
    Extract(build::MakeTalkTable(strings), {"--code-page", CodePageName(page)});
    // polib writes every translation as "x" and the text without the
    // characters the page does not define.
    Polib("p = polib.pofile(sys.argv[1])\n"
          "for e in p: e.msgstr = 'x' + e.msgid.replace('\\ufffd', '')\n"
          "p.save()",
          po);
    const std::vector<std::string> rebuilt = Rebuilt();
    const TCodePage& converter = TCodePage::Of(page);
    for (std::size_t i = 0; i < strings.size(); ++i) {
      std::string expected = "x" + ShownText(strings[i], converter);
      for (std::size_t at; (at = expected.find("\xEF\xBF\xBD")) != std::string::npos;) expected.erase(at, 3);
      EXPECT_EQ(ShownText(rebuilt[i], converter), expected) << i;
    }
    if (!doubleByte && page != kUtf8CodePage) {
      // No character has two places in an 8-bit page: the bytes come back.
      EXPECT_EQ(rebuilt[1], "x" + strings[1]);
    }
  }
}

TEST_F(TalkPoTest, TokensMayMoveAndChangedOnesAreReported) {
  Extract(build::MakeTalkTable(std::vector<std::string>{"Hello <CHARNAME>, <GABBER>!", "Plain", "Bye <PRO_HESHE>"}));
  Polib("p = polib.pofile(sys.argv[1])\n"
        "p[0].msgstr = '<GABBER> greets <CHARNAME>!'\n"
        "p[2].msgstr = 'Tsch\\u00fcss <PRO_HESHEE>'\n"
        "p.save()",
        po);
  EXPECT_EQ(Rebuilt(), (std::vector<std::string>{"<GABBER> greets <CHARNAME>!", "Plain", "Tsch\xFCss <PRO_HESHEE>"}));
  EXPECT_EQ(lastOut, "String 2: token <PRO_HESHEE> is not in the source text.\n"
                     "String 2: token <PRO_HESHE> of the source text is not in the translation.\n" +
                         dir / "new/dialog.po inserted.\n"
                         "dialog.po: 2 translated, 0 fuzzy (not used), 1 untranslated.\nOperation complete!\n");
}

TEST_F(TalkPoTest, CharacterWithoutPlaceInTheCodePageEndsTheTable) {
  Extract(build::MakeTalkTable(std::vector<std::string>{"one", "two", "\x81 and \x8D"}));
  Polib("p = polib.pofile(sys.argv[1])\np[1].msgstr = 'zw\\u0151'\np.save()", po);
  const auto replayed = Replay();
  EXPECT_EQ(replayed.status, 3);
  EXPECT_EQ(replayed.err, "trovex-cli: dialog.po:20: '\xC5\x91' (U+0151) has no place in code page 1252\n");
  EXPECT_FALSE(PathExists(dir / "new/dialog.tlk"));
  // Characters for undefined bytes take back the source's bytes, in order,
  // when the translation keeps as many; otherwise they are refused too.
  Polib("p = polib.pofile(sys.argv[1])\np[1].msgstr = 'zwei'\np[2].msgstr = '\\ufffd und \\ufffd'\np.save()", po);
  EXPECT_EQ(Rebuilt()[2], "\x81 und \x8D");
  Polib("p = polib.pofile(sys.argv[1])\np[2].msgstr = 'nur \\ufffd'\np.save()", po);
  EXPECT_NE(Replay().err.find("(U+FFFD) has no place in code page 1252 (it stands for a byte"), std::string::npos);
}

TEST_F(TalkPoTest, DamagedPoFilesGiveAMessageAndWriteNothing) {
  Extract(build::MakeTalkTable(std::vector<std::string>{"one \"quoted\"", "two\r\nlines", "three"}));
  const std::string text = ReadFileBytes(po);
  std::set<std::string> messages;
  for (std::size_t cut = 0; cut < text.size(); cut += 5) {
    WriteFileBytes(po, text.substr(0, cut) + "\"\n" + text.substr(cut));
    const auto replayed = Replay();
    EXPECT_TRUE(replayed.status == 0 || replayed.status == 3) << replayed.err;
    if (replayed.status == 3) {
      EXPECT_EQ(replayed.err.rfind("trovex-cli: dialog.po", 0), 0u) << replayed.err;
      EXPECT_FALSE(PathExists(dir / "new/dialog.tlk"));
      messages.insert(replayed.err);
    }
    std::filesystem::remove_all(dir / "new");
  }
  EXPECT_GT(messages.size(), 3u);
  WriteFileBytes(po, text.substr(0, text.find("X-Trovex")) + "\"\n");
  EXPECT_EQ(Replay().err,
            "trovex-cli: dialog.po: the header names no code page of 1250 to 1258, 874, 932, 936, 949, 950 or UTF-8 "
            "in its X-Trovex-Code-Page field\n");
}

TEST_F(TalkPoTest, EarlierTranslationFillsEntriesFuzzyUnlessItsSourceIsUnchanged) {
  const std::string oldSource = dir / "game/old.tlk";
  const std::string oldTranslation = dir / "game/old-de.tlk";
  WriteFileBytes(oldSource, build::MakeTalkTable(std::vector<std::string>{"Yes", "No\r\n", "Same", "Gone"}));
  WriteFileBytes(oldTranslation, build::MakeTalkTable(std::vector<std::string>{"Ja", "Nein", "Same"}));
  const auto table = build::MakeTalkTable(std::vector<std::string>{"Yes", "\r\nNo!\r\n", "Same", "New"});
  const std::string read = "for e in polib.pofile(sys.argv[1]): print(repr((e.msgctxt, e.msgstr, e.flags)))";
  Extract(table, {"--translation", oldTranslation});
  EXPECT_EQ(Polib(read, po), "('0', 'Ja', ['fuzzy'])\n('1', '\\nNein\\n', ['fuzzy'])\n('2', '', [])\n('3', '', [])\n");
  Extract(table, {"--translation", oldTranslation, "--translation-source", oldSource});
  EXPECT_EQ(Polib(read, po), "('0', 'Ja', [])\n('1', '\\nNein\\n', ['fuzzy'])\n('2', '', [])\n('3', '', [])\n");
  EXPECT_EQ(Rebuilt(), (std::vector<std::string>{"Ja", "\r\nNo!\r\n", "Same", "New"}));
}

TEST_F(TalkPoTest, ChangedTableStringsAndLongStringsAreHandled) {
  build::Random random(7);
  const std::string longText = Defined(build::ParagraphText(random, 3000));
  Extract(build::MakeTalkTable(std::vector<std::string>{"Old text", longText}));
  Polib("p = polib.pofile(sys.argv[1])\n"
        "p[0].msgstr = 'Neuer Text'\n"
        "p[1].msgstr = p[1].msgid.replace('.', '!')\n"
        "p.save()",
        po);
  std::string expected = longText;
  for (char& c : expected) c = c == '.' ? '!' : c;
  EXPECT_EQ(Rebuilt()[1], expected);
  // The table has changed since the PO file was made: that entry is not used.
  WriteFileBytes(source, build::MakeTalkTable(std::vector<std::string>{"Other text", longText}));
  EXPECT_EQ(Rebuilt(), (std::vector<std::string>{"Other text", expected}));
  EXPECT_NE(lastOut.find("String 0: the table's text is not the PO file's msgid any more"), std::string::npos);
}

TEST_F(TalkPoTest, UnknownFormsAndCodePagesAreUsageErrors) {
  const auto form = RunCli({"--type", "talk", "--text", "xml", "--output", dir / "out", source});
  EXPECT_EQ(form.status, 2);
  EXPECT_EQ(form.err.rfind("trovex-cli: unknown text form 'xml' (forms: dump, po)\n", 0), 0u) << form.err;
  const auto page = RunCli({"--type", "talk", "--code-page", "437", "--output", dir / "out", source});
  EXPECT_EQ(page.status, 2);
  EXPECT_NE(page.err.find("unknown code page '437'"), std::string::npos) << page.err;
  const auto lonely = RunCli({"--type", "talk", "--translation-source", "a.tlk", "--output", dir / "out", source});
  EXPECT_EQ(lonely.status, 2);
}

}  // namespace
}  // namespace trovex
