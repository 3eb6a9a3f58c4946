// The dictionary text format: parsing, merging of module files, escapes and
// the check that translations keep the printf conversions of their source.

#include "dictformat.h"

#include <gtest/gtest.h>

using namespace tl::dictformat;

namespace {

Document parseOk(std::string_view text)
{
    std::vector<Problem> problems;
    Document doc = parse(text, "t.txt", problems);
    EXPECT_TRUE(problems.empty()) << (problems.empty() ? "" : problems.front().text());
    return doc;
}

std::vector<Problem> problemsOf(std::string_view text)
{
    std::vector<Problem> problems;
    merge({parse(text, "t.txt", problems)}, problems);
    return problems;
}

} // namespace

TEST(DictFormat, ParsesLanguagesEntriesAndEscapes)
{
    const Document doc = parseOk("\xEF\xBB\xBF# comment\r\n"
                                 "@format 1\r\n"
                                 "@language 407 Deutsch\r\n"
                                 "\r\n"
                                 "> Save\\s\r\n"
                                 "  407: Speichern\\s\r\n"
                                 "> A\\nB\\\\C\\tD\\x07\n"
                                 "407: X\n");
    ASSERT_EQ(doc.languages.size(), 1u);
    EXPECT_EQ(doc.languages[0].id, 0x407);
    EXPECT_EQ(doc.languages[0].name, "Deutsch");
    ASSERT_EQ(doc.entries.size(), 2u);
    EXPECT_EQ(doc.entries[0].source, "Save ");   // trailing blank kept through \s
    EXPECT_EQ(doc.entries[0].translations[0].text, "Speichern ");
    EXPECT_EQ(doc.entries[1].source, "A\nB\\C\tD\x07");
    EXPECT_EQ(doc.entries[1].line, 7);
}

TEST(DictFormat, ReportsEachMalformedLineWithItsNumber)
{
    const auto problems = problemsOf("@language 407 Deutsch\n"
                                     "407: orphan\n"           // 2: no source above
                                     ">\n"                     // 3: empty source
                                     "> Text\n"
                                     "407 no colon\n"          // 5: unrecognised
                                     "407: bad \\q\n"          // 6: unknown escape
                                     "407:\n"                  // 7: empty translation
                                     "10000: too long id\n"    // 8: id past 16 bits
                                     "@format 2\n"             // 9: version
                                     "@frobnicate\n");         // 10: directive
    std::vector<int> lines;
    for (const auto &p : problems)
        lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(problems[3].text(), "t.txt:6: unknown escape \\q");
}

TEST(DictFormat, RejectsInvalidUtf8AndNulBytes)
{
    EXPECT_FALSE(problemsOf("> caf\xE9\n").empty());          // Latin-1, not UTF-8
    EXPECT_FALSE(problemsOf("> \xC0\xAF\n").empty());         // overlong
    EXPECT_FALSE(problemsOf("> \xED\xA0\x80\n").empty());     // surrogate
    EXPECT_FALSE(problemsOf(std::string_view("> a\0b\n", 6)).empty());
    EXPECT_TRUE(validUtf8("Zurück \xF0\x9F\x98\x80"));
}

TEST(DictFormat, MergeJoinsModuleFilesAndRejectsConflicts)
{
    std::vector<Problem> problems;
    const Document a = parse("@language 407 Deutsch\n> Back\n407: Zurück\n> Exit\n407: Beenden\n", "a.txt", problems);
    const Document b = parse("> Back\n407: Zurück\n> Help\n407: Hilfe\n", "b.txt", problems);
    const Document merged = merge({a, b}, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(merged.entries.size(), 3u);   // the identical duplicate is kept once
    EXPECT_EQ(merged.entries[0].translations.size(), 1u);

    const Document c = parse("> Back\n407: Rückwärts\n@language 407 German\n", "c.txt", problems);
    merge({a, c}, problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].message.find("another name"), std::string::npos);
    EXPECT_EQ(problems[1].file, "c.txt");
    EXPECT_NE(problems[1].message.find("first at a.txt"), std::string::npos);
}

TEST(DictFormat, MergeRequiresDeclaredLanguagesAndMatchingConversions)
{
    const auto problems = problemsOf("@language 407 Deutsch\n"
                                     "> Found: %d of %s\n"
                                     "407: %s von %d gefunden\n"   // swapped: would crash printf
                                     "40c: Trouvé\n");             // French not declared
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].message.find("conversions"), std::string::npos);
    EXPECT_NE(problems[1].message.find("40c is not declared"), std::string::npos);
    EXPECT_TRUE(problemsOf("@language 407 Deutsch\n> 100%% of %5.2f\n407: 100%% von %5.2f\n").empty());
}

TEST(DictFormat, Conversions)
{
    EXPECT_EQ(conversions("Version %s (Build: %s)"), "ss");
    EXPECT_EQ(conversions("%02d:%i %lu %-10s %% %x"), "ddusx");
    EXPECT_EQ(conversions("50%"), "?");
}

TEST(DictFormat, WrittenDocumentReadsBackTheSame)
{
    std::vector<Problem> problems;
    const Document merged = merge({parse("@language 809 English (UK)\n"
                                         "> \\sleading and trailing\\s\n809: x\\ty\\\\z\\x1b\n",
                                         "a.txt", problems)},
                                  problems);
    ASSERT_TRUE(problems.empty());
    const std::string written = write(merged);
    const Document back = parseOk(written);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].source, " leading and trailing ");
    EXPECT_EQ(back.entries[0].translations[0].text, "x\ty\\z\x1b");
    EXPECT_NE(written.find("@format 1\n@language 809 English (UK)\n"), std::string::npos);
}
