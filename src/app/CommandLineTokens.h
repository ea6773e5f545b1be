#pragma once
// The program's command line, split into arguments the way the host quotes them: a path with
// blanks comes in double quotes. The program receives one text and splits it itself, on bytes
// (the local 8-bit encoding), so bytes of 0x80 and above pass through untouched.

#include <QByteArray>
#include <QList>

#include <vector>

class CCommandLineTokens {
public:
    // Splits the text at once; null or "" gives no arguments.
    explicit CCommandLineTokens(const char* commandLine);

    int GetCount() const { return static_cast<int>(m_argv.size()); }
    // The argument at index (0 = the editing type, 1 = the file path); "" when there is none.
    QByteArray GetAt(int index) const;

    // How the program's arguments become the one command-line text: arguments joined by one
    // blank; an argument that is empty, contains whitespace or starts with a double quote is
    // wrapped in double quotes, any other stays as it is. So a path with blanks survives the split
    // as one argument. (An argument that itself holds a double quote followed by whitespace cannot
    // survive; hosts do not send such paths.)
    static QByteArray JoinArguments(const QList<QByteArray>& arguments);

private:
    std::vector<const char*> m_argv; // each points into m_pszBuffer
    QByteArray m_pszBuffer;          // the copy of the line, cut into arguments in place
};
