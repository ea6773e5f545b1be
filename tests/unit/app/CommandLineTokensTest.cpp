// The host's command line as the program splits it, main's arguments taken whole, and the
// command line the log shows for them.

#include "app/CommandLineTokens.h"
#include "sdk/FileNames.h"

#include <QList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

Args split(const char* line) {
    const CCommandLineTokens tokens(line);
    Args out;
    for (int i = 0; i < tokens.GetCount(); ++i) {
        out.push_back(tokens.GetAt(i).toStdString());
    }
    return out;
}

TEST(CommandLineTokens, SplittingRules) {
    const struct {
        const char* line;
        Args expected;
    } cases[] = {
        {"", {}},
        {"   EDIT_PROJ \t  x.xml", {"EDIT_PROJ", "x.xml"}},
        {"a\tb\nc\vd\fe\rf", {"a", "b", "c", "d", "e", "f"}},
        // One trailing blank is eaten; two or more leave one last, empty argument.
        {"VIEW_PROJ x.xml ", {"VIEW_PROJ", "x.xml"}},
        {"VIEW_PROJ x.xml \t \t", {"VIEW_PROJ", "x.xml", ""}},
        {"EDIT_PROJ \"/my dir/p 1.xml\" \"\" e", {"EDIT_PROJ", "/my dir/p 1.xml", "", "e"}},
        // A quoted argument ends only at a quote before whitespace or the end.
        {"\"ab\"cd ef\" g", {"ab\"cd ef", "g"}},
        {"x \"open to the end  ", {"x", "open to the end  "}},
        // The closing quote takes one blank with it; the blanks after that still separate.
        {"\"a\" b", {"a", "b"}},
        {"\"a\" ", {"a"}},
        {"\"a\"  b", {"a", "b"}},
        {"\"a\"  ", {"a", ""}},
        // A quote inside an unquoted argument is an ordinary character.
        {"ab\"cd ef", {"ab\"cd", "ef"}},
        // 0x85 and 0xA0 are blanks in some 8-bit encodings, never here.
        {"NEW_PROJ caf\xc3\xa9\x85\xa0.xml", {"NEW_PROJ", "caf\xc3\xa9\x85\xa0.xml"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split(c.line), c.expected) << '[' << c.line << ']';
    }
    EXPECT_EQ(split(nullptr), Args{});
    EXPECT_EQ(CCommandLineTokens("").GetAt(0), QByteArray());
}

// Tokens of main's arguments.
CCommandLineTokens tokensOf(const QList<QByteArray>& arguments) {
    std::vector<const char*> argv{"kestrel"};
    for (const QByteArray& argument : arguments)
        argv.push_back(argument.constData());
    return CCommandLineTokens(static_cast<int>(argv.size()), argv.data());
}

// Each argument arrives whole, and the path opens exactly the file its bytes name: blanks,
// quotes (a quote before a blank once cut `x" y.xml` to `x`), line breaks, bytes that are not
// UTF-8.
TEST(CommandLineTokens, ProgramArgumentsReachTheFilePathWhole) {
    for (const QByteArray& path :
         {QByteArray("/tmp/x\" y.xml"), QByteArray("\"quoted.xml\""), QByteArray("a\nb.xml"),
          QByteArray("/tmp/caf\xe9 \xff\xc3.xml"), QByteArray("")}) {
        const CCommandLineTokens tokens = tokensOf({"EDIT_PROJ", path, "third"});
        ASSERT_EQ(tokens.GetCount(), 3) << path.toStdString();
        EXPECT_EQ(tokens.GetAt(0), QByteArray("EDIT_PROJ"));
        EXPECT_EQ(tokens.GetAt(1), path);
        EXPECT_EQ(EncodeFileName(tokens.GetFilePath()), path);
    }
    const CCommandLineTokens noArguments = tokensOf({});
    EXPECT_EQ(noArguments.GetCount(), 0);
    EXPECT_EQ(noArguments.GetFilePath(), QString());
    EXPECT_EQ(noArguments.GetCommandLine(), QByteArray());
    EXPECT_EQ(CCommandLineTokens(0, nullptr).GetCount(), 0);
}

// The logged command line quotes as a host does, so it reads back as the same arguments
// wherever one text can carry them.
TEST(CommandLineTokens, LoggedCommandLineSplitsBackToTheArguments) {
    EXPECT_EQ(tokensOf({"EDIT_PROJ", "/tmp/my file.xml"}).GetCommandLine(),
              QByteArray("EDIT_PROJ \"/tmp/my file.xml\""));
    EXPECT_EQ(CCommandLineTokens("NEW_PROJ  a.xml ").GetCommandLine(),
              QByteArray("NEW_PROJ  a.xml "));
    const QList<QList<QByteArray>> cases = {
        {"EDIT_PROJ", "/tmp/My Projects/a b.xml", ""},
        {"VIEW_PROJ", "tab\there.xml", "ab\"cd.xml", "\"leading-quote.xml", "ends with quote\""},
        {"NEW_PROJ", "/tmp/caf\xc3\xa9 \xa0.xml"}};
    for (const QList<QByteArray>& arguments : cases) {
        const QByteArray line = tokensOf(arguments).GetCommandLine();
        const CCommandLineTokens tokens(line.constData());
        ASSERT_EQ(tokens.GetCount(), arguments.size()) << line.toStdString();
        for (int i = 0; i < tokens.GetCount(); ++i)
            EXPECT_EQ(tokens.GetAt(i), arguments[i]) << line.toStdString();
    }
}

} // namespace
