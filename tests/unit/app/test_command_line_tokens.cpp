// The host's command line as the program splits it: quoting, whitespace, trailing blanks and
// bytes of the local 8-bit encoding; and the joining of main's arguments into that line.

#include "app/CommandLineTokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const char* line) {
    const CCommandLineTokens tokens(line);
    std::vector<std::string> out;
    for (int i = 0; i < tokens.GetCount(); ++i) {
        out.push_back(tokens.GetAt(i).toStdString());
    }
    return out;
}

using Args = std::vector<std::string>;

TEST(CommandLineTokens, EmptyOrNullTextHasNoArguments) {
    EXPECT_EQ(split(""), Args{});
    EXPECT_EQ(split(nullptr), Args{});
    const CCommandLineTokens none("");
    EXPECT_EQ(none.GetAt(0), QByteArray());
    EXPECT_EQ(none.GetAt(-1), QByteArray());
}

TEST(CommandLineTokens, SplitsAtEveryKindOfCLocaleWhitespace) {
    EXPECT_EQ(split("NEW_PROJ /tmp/a.xml"), (Args{"NEW_PROJ", "/tmp/a.xml"}));
    EXPECT_EQ(split("a\tb\nc\vd\fe\rf"), (Args{"a", "b", "c", "d", "e", "f"}));
    // Leading whitespace is skipped, runs of whitespace between arguments too.
    EXPECT_EQ(split("   EDIT_PROJ \t  x.xml"), (Args{"EDIT_PROJ", "x.xml"}));
}

TEST(CommandLineTokens, TrailingBlanks) {
    // One trailing blank is eaten by the argument before it.
    EXPECT_EQ(split("VIEW_PROJ x.xml "), (Args{"VIEW_PROJ", "x.xml"}));
    // Two or more leave one last, empty argument; the first two stay the same.
    EXPECT_EQ(split("VIEW_PROJ x.xml  "), (Args{"VIEW_PROJ", "x.xml", ""}));
    EXPECT_EQ(split("VIEW_PROJ x.xml \t \t"), (Args{"VIEW_PROJ", "x.xml", ""}));
    // Only blanks: the end is reached before any argument began, which leaves one empty one.
    EXPECT_EQ(split("  "), (Args{""}));
    EXPECT_EQ(split(" "), (Args{""}));
}

TEST(CommandLineTokens, QuotedPathWithSpacesIsOneArgumentWithoutQuotes) {
    EXPECT_EQ(split("EDIT_PROJ \"/home/me/My Projects/p 1.xml\""),
              (Args{"EDIT_PROJ", "/home/me/My Projects/p 1.xml"}));
    EXPECT_EQ(split("\"a b\" \"c d\" e"), (Args{"a b", "c d", "e"}));
    EXPECT_EQ(split("\"\" x"), (Args{"", "x"}));
}

TEST(CommandLineTokens, QuotedArgumentEndsOnlyAtQuoteBeforeWhitespaceOrEnd) {
    // A quote followed by a letter belongs to the argument.
    EXPECT_EQ(split("\"ab\"cd ef\" g"), (Args{"ab\"cd ef", "g"}));
    // Without a closing quote the argument runs to the end, whitespace included.
    EXPECT_EQ(split("x \"open to the end  "), (Args{"x", "open to the end  "}));
    // The closing quote and exactly one blank after it are stepped over.
    EXPECT_EQ(split("\"a\"  b"), (Args{"a", "b"}));
    EXPECT_EQ(split("\"a\" "), (Args{"a"}));
    EXPECT_EQ(split("\"a\"  "), (Args{"a", ""}));
}

TEST(CommandLineTokens, QuoteInsideUnquotedArgumentIsOrdinary) {
    EXPECT_EQ(split("ab\"cd ef"), (Args{"ab\"cd", "ef"}));
    EXPECT_EQ(split("ab\" cd"), (Args{"ab\"", "cd"}));
}

TEST(CommandLineTokens, FurtherArgumentsAreKept) {
    EXPECT_EQ(split("NEW_PROJ a.xml third"), (Args{"NEW_PROJ", "a.xml", "third"}));
}

TEST(CommandLineTokens, HighBytesAreNeverWhitespace) {
    // 0x85 and 0xA0 are blanks in some 8-bit encodings; here they are parts of the argument.
    const char line[] = "NEW_PROJ /tmp/caf\xc3\xa9\x85\xa0.xml";
    const CCommandLineTokens tokens(line);
    ASSERT_EQ(tokens.GetCount(), 2);
    EXPECT_EQ(tokens.GetAt(1), QByteArray("/tmp/caf\xc3\xa9\x85\xa0.xml"));
}

TEST(CommandLineTokens, JoiningQuotesWhatWouldNotSurviveTheSplit) {
    EXPECT_EQ(CCommandLineTokens::JoinArguments({}), QByteArray());
    EXPECT_EQ(CCommandLineTokens::JoinArguments({"NEW_PROJ", "/tmp/a.xml"}),
              QByteArray("NEW_PROJ /tmp/a.xml"));
    EXPECT_EQ(CCommandLineTokens::JoinArguments({"EDIT_PROJ", "/tmp/my file.xml"}),
              QByteArray("EDIT_PROJ \"/tmp/my file.xml\""));
    EXPECT_EQ(CCommandLineTokens::JoinArguments({"", "x"}), QByteArray("\"\" x"));
}

TEST(CommandLineTokens, JoinedArgumentsSplitBackToThemselves) {
    const QList<QList<QByteArray>> cases = {
        {"NEW_PROJ", "/tmp/a.xml"},          {"EDIT_PROJ", "/tmp/My Projects/a b.xml"},
        {"VIEW_PROJ", "tab\there.xml"},      {"LOCAL_PROJ", ""},
        {"LOCAL_PROJ", "ab\"cd.xml"},        {"LOCAL_PROJ", "\"leading-quote.xml"},
        {"LOCAL_PROJ", "ends with quote\""}, {"NEW_PROJ", "/tmp/caf\xc3\xa9 \xa0.xml"},
    };
    for (const QList<QByteArray>& arguments : cases) {
        const QByteArray line = CCommandLineTokens::JoinArguments(arguments);
        const CCommandLineTokens tokens(line.constData());
        ASSERT_EQ(tokens.GetCount(), arguments.size()) << line.toStdString();
        for (int i = 0; i < tokens.GetCount(); ++i) {
            EXPECT_EQ(tokens.GetAt(i), arguments[i]) << line.toStdString();
        }
    }
}

} // namespace
