#include "contacts/VCard.h"

#include <QByteArray>
#include <QStringDecoder>

namespace kestrel {
namespace {

struct LineSpan {
    qsizetype begin = 0;
    qsizetype end = 0;  // exclusive, line end not included
    qsizetype next = 0; // where the following line starts
};

// One physical line; LF, CRLF and a lone CR all end one.
LineSpan lineAt(QByteArrayView bytes, qsizetype pos) {
    LineSpan span{pos, pos, pos};
    const qsizetype size = bytes.size();
    qsizetype i = pos;
    while (i < size && bytes[i] != '\n' && bytes[i] != '\r')
        ++i;
    span.end = i;
    if (i < size && bytes[i] == '\r')
        ++i;
    if (i < size && bytes[i] == '\n' && (i == span.end || bytes[i - 1] == '\r'))
        ++i;
    span.next = i;
    return span;
}

bool isFoldContinuation(QByteArrayView bytes, qsizetype pos) {
    return pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\t');
}

// The property name at the start of a logical line, upper case, without its group.
QByteArray peekName(QByteArrayView line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ';' && line[end] != ':')
        ++end;
    QByteArrayView name = line.first(end);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.sliced(dot + 1);
    return name.toByteArray().trimmed().toUpper();
}

bool isBinaryProperty(const QByteArray& name) {
    return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
}

// The first colon outside double quotes: where the name and parameters end.
qsizetype valueColon(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

// Splits at `separator` outside double quotes.
QStringList splitOutsideQuotes(QStringView text, QChar separator) {
    QStringList parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (text[i] == separator && !quoted) {
            parts.append(text.sliced(start, i - start).toString());
            start = i + 1;
        }
    }
    parts.append(text.sliced(start).toString());
    return parts;
}

bool isBareEncoding(const QString& upper) {
    return upper == QLatin1String("QUOTED-PRINTABLE") || upper == QLatin1String("BASE64") ||
           upper == QLatin1String("8BIT") || upper == QLatin1String("7BIT") ||
           upper == QLatin1String("B");
}

QList<VCardParam> parseParams(const QStringList& parts) {
    QList<VCardParam> params;
    for (const QString& part : parts) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        VCardParam param;
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        QString values;
        if (eq < 0) {
            // 2.1 writes bare values: "TEL;WORK;VOICE", "FN;QUOTED-PRINTABLE".
            const QString upper = trimmed.toUpper();
            param.name =
                isBareEncoding(upper) ? QStringLiteral("ENCODING") : QStringLiteral("TYPE");
            values = trimmed;
        } else {
            param.name = trimmed.first(eq).trimmed().toUpper();
            values = trimmed.sliced(eq + 1);
        }
        values.remove(QLatin1Char('"'));
        for (const QString& value : values.split(QLatin1Char(','), Qt::SkipEmptyParts))
            param.values.append(value.trimmed());
        params.append(param);
    }
    return params;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size()) {
            const int high = hexDigit(in[i + 1]);
            const int low = hexDigit(in[i + 2]);
            if (high >= 0 && low >= 0) {
                out.append(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.append(in[i]);
    }
    return out;
}

// UTF-8 unless a CHARSET says otherwise; text that is not valid UTF-8 is taken as Windows-1252
// (what old exporters wrote without saying so), or Latin-1 where that codec is missing.
QString decodeText(const QByteArray& bytes, const QString& charset) {
    if (!charset.isEmpty() && charset.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0) {
        QStringDecoder named(charset.toLatin1().constData());
        if (named.isValid()) {
            QString text = named.decode(bytes);
            if (!named.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252");
    if (windows.isValid())
        return windows.decode(bytes);
    return QString::fromLatin1(bytes);
}

bool parseProperty(QByteArrayView line, VCardProperty& property) {
    const qsizetype colon = valueColon(line);
    if (colon <= 0)
        return false;
    const QString head = QString::fromUtf8(line.first(colon));
    QStringList parts = splitOutsideQuotes(head, QLatin1Char(';'));
    QString name = parts.takeFirst().trimmed();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        property.group = name.first(dot);
        name = name.sliced(dot + 1);
    }
    if (name.isEmpty())
        return false;
    property.name = name.toUpper();
    property.params = parseParams(parts);

    QByteArray raw = line.sliced(colon + 1).toByteArray();
    if (property.Param("ENCODING")
            .compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0)
        raw = decodeQuotedPrintable(raw);
    property.value = decodeText(raw, property.Param("CHARSET"));
    return true;
}

bool isQuotedPrintable(QByteArrayView line) {
    const qsizetype colon = valueColon(line);
    if (colon < 0)
        return false;
    return line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

bool isCardLine(QByteArrayView line, const char* keyword) {
    // "BEGIN:VCARD" / "END:VCARD", any case, blanks around the colon allowed.
    const qsizetype colon = valueColon(line);
    if (colon < 0)
        return false;
    return line.first(colon).trimmed().compare(keyword, Qt::CaseInsensitive) == 0 &&
           line.sliced(colon + 1).trimmed().compare("VCARD", Qt::CaseInsensitive) == 0;
}

bool hasSomethingToShow(const VCard& card) {
    return !card.DisplayName().trimmed().isEmpty() || card.Find("ORG") || card.Find("EMAIL") ||
           card.Find("TEL");
}

} // namespace

QString UnescapeVCardText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text[++i];
        if (next == QLatin1Char('n') || next == QLatin1Char('N'))
            out.append(QLatin1Char('\n'));
        else
            out.append(next); // "\,", "\;", "\\", "\:" and anything else stand for themselves
    }
    return out;
}

QStringList VCardProperty::Types() const {
    QStringList types;
    for (const VCardParam& param : params)
        if (param.name == QLatin1String("TYPE"))
            for (const QString& value : param.values)
                types.append(value.toLower());
    return types;
}

bool VCardProperty::HasType(const char* type) const {
    return Types().contains(QLatin1String(type));
}

QString VCardProperty::Param(const char* wanted) const {
    for (const VCardParam& param : params)
        if (param.name == QLatin1String(wanted))
            return param.values.isEmpty() ? QString() : param.values.constFirst();
    return QString();
}

QString VCardProperty::Text() const {
    return UnescapeVCardText(value);
}

QStringList VCardProperty::Components() const {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\')) {
            ++i;
        } else if (value[i] == QLatin1Char(';')) {
            parts.append(UnescapeVCardText(QStringView(value).sliced(start, i - start)));
            start = i + 1;
        }
    }
    parts.append(UnescapeVCardText(QStringView(value).sliced(start)));
    return parts;
}

const VCardProperty* VCard::Find(const char* name) const {
    for (const VCardProperty& property : properties)
        if (property.name == QLatin1String(name))
            return &property;
    return nullptr;
}

QList<const VCardProperty*> VCard::FindAll(const char* name) const {
    QList<const VCardProperty*> found;
    for (const VCardProperty& property : properties)
        if (property.name == QLatin1String(name))
            found.append(&property);
    return found;
}

QString VCard::DisplayName() const {
    if (const VCardProperty* fn = Find("FN")) {
        const QString text = fn->Text().simplified();
        if (!text.isEmpty())
            return text;
    }
    if (const VCardProperty* n = Find("N")) {
        // family; given; additional; prefixes; suffixes
        const QStringList parts = n->Components();
        QStringList ordered;
        for (int index : {1, 2, 0})
            if (index < parts.size() && !parts.at(index).trimmed().isEmpty())
                ordered.append(parts.at(index).simplified());
        return ordered.join(QLatin1Char(' '));
    }
    return QString();
}

VCardFileContents ParseVCards(QByteArrayView bytes) {
    VCardFileContents contents;
    VCard card;
    bool inCard = false;
    int nestedDepth = 0; // inside a 2.1 AGENT's embedded card, which is not a contact of its own
    bool inBinary = false;
    QByteArray lastName;

    auto dropOpenCard = [&] {
        contents.problems.append(
            {card.firstLine, QStringLiteral("the card has no END:VCARD and was left out")});
    };

    qsizetype pos = 0;
    int lineNo = 0;
    while (pos < bytes.size()) {
        LineSpan span = lineAt(bytes, pos);
        ++lineNo;
        const int startLine = lineNo;
        pos = span.next;
        QByteArrayView first = bytes.sliced(span.begin, span.end - span.begin);

        if (first.trimmed().isEmpty()) {
            inBinary = false;
            continue;
        }
        const QByteArray name = peekName(first);
        if (isBinaryProperty(name)) {
            // Stepped over unread: its folded lines, and 2.1's unfolded base64 lines after it.
            while (isFoldContinuation(bytes, pos)) {
                pos = lineAt(bytes, pos).next;
                ++lineNo;
            }
            inBinary = true;
            lastName = name;
            continue;
        }
        if (inBinary && valueColon(first) < 0)
            continue;
        inBinary = false;

        // Unfold: a line starting with a blank continues the one before; a quoted-printable
        // value ending in "=" continues on the next line whatever it starts with.
        QByteArray logical = first.toByteArray();
        const bool qp = isQuotedPrintable(first);
        for (;;) {
            if (isFoldContinuation(bytes, pos)) {
                const LineSpan more = lineAt(bytes, pos);
                logical.append(bytes.sliced(more.begin + 1, more.end - more.begin - 1));
                pos = more.next;
                ++lineNo;
            } else if (qp && logical.endsWith('=') && pos < bytes.size()) {
                const LineSpan more = lineAt(bytes, pos);
                logical.chop(1);
                logical.append(bytes.sliced(more.begin, more.end - more.begin));
                pos = more.next;
                ++lineNo;
            } else {
                break;
            }
        }

        if (isCardLine(logical, "BEGIN")) {
            ++contents.beginCount;
            if (inCard && (nestedDepth > 0 || lastName == "AGENT")) {
                ++nestedDepth;
                continue;
            }
            if (inCard)
                dropOpenCard();
            card = VCard();
            card.firstLine = startLine;
            inCard = true;
            lastName.clear();
            continue;
        }
        if (isCardLine(logical, "END")) {
            if (nestedDepth > 0) {
                --nestedDepth;
                continue;
            }
            if (!inCard)
                continue;
            inCard = false;
            if (hasSomethingToShow(card))
                contents.cards.append(std::move(card));
            else
                contents.problems.append(
                    {card.firstLine,
                     QStringLiteral("the card has no name, firm, e-mail or telephone")});
            card = VCard();
            continue;
        }
        if (!inCard || nestedDepth > 0)
            continue;
        lastName = name;
        VCardProperty property;
        // A line that is no property (no colon, no name) is passed over: the rest of the card
        // still counts.
        if (!parseProperty(logical, property))
            continue;
        if (property.name == QLatin1String("VERSION"))
            card.version = property.value.trimmed();
        else
            card.properties.append(std::move(property));
    }
    if (inCard)
        dropOpenCard();
    return contents;
}

} // namespace kestrel
