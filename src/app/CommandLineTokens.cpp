#include "app/CommandLineTokens.h"

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

} // namespace

CCommandLineTokens::CCommandLineTokens(const char* commandLine) {
    if (!commandLine || *commandLine == '\0') {
        return;
    }
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

QByteArray CCommandLineTokens::JoinArguments(const QList<QByteArray>& arguments) {
    QByteArray line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (i > 0) {
            line += ' ';
        }
        // A leading quote would otherwise be taken for an opening one and lost.
        bool needsQuotes = argument.isEmpty() || argument.startsWith('"');
        for (char c : argument) {
            needsQuotes = needsQuotes || isBlank(c);
        }
        if (needsQuotes) {
            line += '"';
            line += argument;
            line += '"';
        } else {
            line += argument;
        }
    }
    return line;
}
