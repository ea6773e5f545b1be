#pragma once
// The program's command line: the editing type and the path of the project file. A host that
// hands over one text has it split here the way it quotes it (a path with blanks comes in
// double quotes), on bytes, so bytes of 0x80 and above pass through untouched. On this system
// the host's arguments arrive already split (main's argv) and are taken as they are: no text
// re-joined and split again could carry every path (a double quote before a blank ends a
// quoted argument).

#include <QByteArray>
#include <QString>

#include <vector>

class CCommandLineTokens {
public:
    // Splits the text at once; null or "" gives no arguments.
    explicit CCommandLineTokens(const char* commandLine);
    // The arguments main was given, argv[0] (the program) left out, each one whole.
    CCommandLineTokens(int argc, const char* const* argv);
    CCommandLineTokens(const CCommandLineTokens&) = delete;
    CCommandLineTokens& operator=(const CCommandLineTokens&) = delete;

    int GetCount() const { return static_cast<int>(m_argv.size()); }
    // The argument at index (0 = the editing type, 1 = the file path); "" when there is none.
    QByteArray GetAt(int index) const;
    // The project file's path (argument 2) as a file name that opens exactly the file the bytes
    // name, whatever they are (see sdk/FileNames.h); "" when there is none.
    QString GetFilePath() const;

    // The command line as one text, for the log: the host's text as it came, or the arguments
    // joined by one blank, each that is empty, holds whitespace or starts with a double quote
    // wrapped in double quotes (the way a host quotes them).
    const QByteArray& GetCommandLine() const { return m_commandLine; }

private:
    std::vector<const char*> m_argv; // each points into m_pszBuffer
    QByteArray m_pszBuffer;          // the arguments' bytes, each ending in a NUL
    QByteArray m_commandLine;
};
