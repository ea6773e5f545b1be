// The host's command line as the program splits it, main's arguments taken whole, and the
// command line the log shows for them.

#include "app/CommandLineTokens.h"
#include "sdk/FileNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

Args argumentsOf(const CCommandLineTokens& tokens) {
    Args out;
    for (int i = 0; i < tokens.GetCount(); ++i)
        out.push_back(tokens.GetAt(i).toStdString());
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
    for (const auto& c : cases)
        EXPECT_EQ(argumentsOf(CCommandLineTokens(c.line)), c.expected) << '[' << c.line << ']';
    EXPECT_EQ(CCommandLineTokens(nullptr).GetCount(), 0);
    EXPECT_EQ(CCommandLineTokens("").GetAt(0), QByteArray());
}

// Tokens of main's arguments.
CCommandLineTokens tokensOf(const Args& arguments) {
    std::vector<const char*> argv{"kestrel"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    return CCommandLineTokens(static_cast<int>(argv.size()), argv.data());
}

// Each of main's arguments arrives whole, and the path opens exactly the file its bytes name:
// blanks, quotes (a quote before a blank once cut `x" y.xml` to `x`), line breaks, bytes that are
// not UTF-8. The logged command line quotes as a host does, so it reads back as the same
// arguments wherever one text can carry them.
TEST(CommandLineTokens, ProgramArgumentsArriveWholeAndTheLoggedLineSplitsBack) {
    const struct {
        Args arguments;
        bool carried = true;
    } cases[] = {
        {{"EDIT_PROJ", "/tmp/x\" y.xml", "third"}, false},
        {{"VIEW_PROJ", "\"quoted.xml\"", "tab\there.xml", "ab\"cd.xml", "\"leading-quote.xml",
          "ends with quote\""}},
        {{"EDIT_PROJ", "a\nb.xml", "/tmp/My Projects/a b.xml", ""}},
        {{"NEW_PROJ", "/tmp/caf\xe9 \xff\xc3.xml", "/tmp/caf\xc3\xa9 \xa0.xml"}},
        {{"EDIT_PROJ", ""}},
    };
    for (const auto& c : cases) {
        const CCommandLineTokens tokens = tokensOf(c.arguments);
        const QByteArray line = tokens.GetCommandLine();
        EXPECT_EQ(argumentsOf(tokens), c.arguments) << line.toStdString();
        EXPECT_EQ(EncodeFileName(tokens.GetFilePath()).toStdString(), c.arguments[1]);
        EXPECT_TRUE(!c.carried || argumentsOf(CCommandLineTokens(line.constData())) == c.arguments)
            << line.toStdString();
    }
    EXPECT_EQ(tokensOf({"EDIT_PROJ", "/tmp/my file.xml"}).GetCommandLine(),
              QByteArray("EDIT_PROJ \"/tmp/my file.xml\""));
    EXPECT_EQ(CCommandLineTokens("NEW_PROJ  a.xml ").GetCommandLine(),
              QByteArray("NEW_PROJ  a.xml "));
    const CCommandLineTokens none = tokensOf({});
    EXPECT_TRUE(none.GetCount() == 0 && none.GetFilePath().isEmpty() &&
                none.GetCommandLine().isEmpty());
    EXPECT_EQ(CCommandLineTokens(0, nullptr).GetCount(), 0);
}

} // namespace
