#include "sdk/StringTable.h"

#include <QHash>

#include <cstddef>

namespace kestrel::detail {
extern const unsigned char kStringTableData[];
extern const std::size_t kStringTableSize;
} // namespace kestrel::detail

namespace {

// Undo the table's escapes: \n, \t and \\. An unknown escape keeps its character, so a stray
// backslash in an edited table degrades to the literal text instead of vanishing.
QString unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n')
            out.append(u'\n');
        else if (next == u't')
            out.append(u'\t');
        else if (next == u'\\')
            out.append(u'\\');
        else {
            out.append(c);
            out.append(next);
        }
    }
    return out;
}

QHash<int, QString> parseTable() {
    QHash<int, QString> table;
    const QString all =
        QString::fromUtf8(reinterpret_cast<const char*>(kestrel::detail::kStringTableData),
                          static_cast<qsizetype>(kestrel::detail::kStringTableSize));
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        const int id = line.left(tab).trimmed().toInt(&ok);
        if (ok)
            table.insert(id, unescape(line.mid(tab + 1)));
    }
    return table;
}

} // namespace

QString GetRCString(int id) {
    static const QHash<int, QString> table = parseTable();
    return table.value(id);
}
