#pragma once
// vCard reading (versions 2.1, 3.0 and 4.0) as address books and phones export them: folded
// lines, quoted-printable values with their soft line breaks, CHARSET parameters, grouped
// properties ("item1.TEL"), TYPE parameters in every spelling ("TYPE=work,voice",
// "TYPE=work;TYPE=voice", "type=WORK", 2.1's bare "TEL;WORK;VOICE"), and LF, CRLF or CR line ends.
//
// Binary properties (photos, logos, sounds, keys) are stepped over without being decoded or even
// joined into one line, so an address book full of photos reads as fast as one without. A card
// that never ends, or holds nothing to show, is reported with its line and left out; the cards
// around it are read as usual.

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace kestrel {

struct VCardParam {
    QString name;       // upper case; a 2.1 bare parameter is named TYPE (or ENCODING)
    QStringList values; // quotes removed, comma lists split
};

struct VCardProperty {
    QString group; // "item1" of "item1.TEL", else ""
    QString name;  // upper case
    QList<VCardParam> params;
    QString value; // decoded (quoted-printable, charset) but still escaped

    // The TYPE values in lower case, whichever way they were written.
    QStringList Types() const;
    bool HasType(const char* type) const;
    // The first value of a parameter ("" when absent).
    QString Param(const char* name) const;
    // The value with its escapes resolved ("\n", "\,", "\;", "\\").
    QString Text() const;
    // A structured value (N, ADR, ORG) split at its unescaped semicolons, each part unescaped.
    QStringList Components() const;
};

struct VCard {
    int firstLine = 0; // the line of its BEGIN
    QString version;
    QList<VCardProperty> properties;

    // The first property of that (upper-case) name, or null.
    const VCardProperty* Find(const char* name) const;
    QList<const VCardProperty*> FindAll(const char* name) const;
    // The card's name: FN, or else N put together as "given additional family".
    QString DisplayName() const;
};

struct VCardProblem {
    int line = 0;
    QString what;
};

struct VCardFileContents {
    QList<VCard> cards;
    QList<VCardProblem> problems;
    int beginCount = 0; // how many BEGIN:VCARD lines there were, read or not
};

VCardFileContents ParseVCards(QByteArrayView bytes);

// Resolves vCard escapes in `text`.
QString UnescapeVCardText(QStringView text);

} // namespace kestrel
