#include "app/CommandLineTokens.h"

#include "sdk/FileNames.h"

#include <cstring>

namespace {

// The "C" locale's whitespace; bytes of 0x80 and above never are.
bool isBlank(char c) {
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

QByteArray joinArguments(int count, const char* const* arguments) {
    QByteArray line;
    for (int i = 0; i < count; ++i) {
        const QByteArray argument(arguments[i]);
        if (i > 0) {
            line += ' ';
        }
        // A leading quote would otherwise read as an opening one.
        bool needsQuotes = argument.isEmpty() || argument.startsWith('"');
        for (char c : argument) {
            needsQuotes = needsQuotes || isBlank(c);
        }
        if (needsQuotes) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
    }
    return line;
}

} // namespace

CCommandLineTokens::CCommandLineTokens(int argc, const char* const* argv) {
    const int count = argc > 1 && argv ? argc - 1 : 0;
    if (count == 0) {
        return;
    }
    m_commandLine = joinArguments(count, argv + 1);
    for (int i = 0; i < count; ++i) {
        m_pszBuffer.append(argv[i + 1], qsizetype(std::strlen(argv[i + 1]) + 1));
    }
    // Pointers are taken once the buffer is complete and no longer moves.
    const char* p = m_pszBuffer.constData();
    for (int i = 0; i < count; ++i) {
        m_argv.push_back(p);
        p += std::strlen(p) + 1;
    }
}

CCommandLineTokens::CCommandLineTokens(const char* commandLine) {
    if (!commandLine || *commandLine == '\0') {
        return;
    }
    m_commandLine = commandLine;
    // The buffer owns its terminating NUL; the arguments are cut in place.
    m_pszBuffer = QByteArray(commandLine, static_cast<qsizetype>(std::strlen(commandLine)));
    char* p = m_pszBuffer.data();
    for (;;) {
        while (isBlank(*p)) {
            ++p;
        }
        const bool quoted = *p == '"';
        if (quoted) {
            ++p;
        }
        // Even at the end of the text: trailing blanks leave one last, empty argument.
        m_argv.push_back(p);
        if (quoted) {
            // Only a quote followed by whitespace or the end closes the argument.
            while (*p != '\0' && !(*p == '"' && (p[1] == '\0' || isBlank(p[1])))) {
                ++p;
            }
            if (*p == '"') {
                *p = '\0';
                if (p[1] != '\0') {
                    p += 2; // the quote and the one blank after it
                } else {
                    ++p;
                }
            }
        } else {
            while (*p != '\0' && !isBlank(*p)) {
                ++p;
            }
            if (*p != '\0') {
                *p = '\0';
                ++p;
            }
        }
        if (*p == '\0') {
            break;
        }
    }
}

QByteArray CCommandLineTokens::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return {};
    }
    return QByteArray(m_argv[static_cast<size_t>(index)]);
}

QString CCommandLineTokens::GetFilePath() const {
    return DecodeFileName(GetAt(1));
}
