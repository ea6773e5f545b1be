#pragma once
// The contact document: one vCard as the member page reads a contact, an XML document whose
// fields stand under /krroot/members/member (member_name, firm_name, designation, country, the
// address in both forms, the telephone numbers and two e-mails). Only fields the card fills are
// written; the page reads a missing one as empty.
//
// What goes where:
// - FN (or N) -> member_name, ORG (its organisation name) -> firm_name, TITLE -> designation;
// - TEL by type: cell -> mobile_no, fax -> fax_no, pager -> pager_no, any other (a work number
//   first, else voice, home or untyped) -> tel_no with its extension in tel_ext_no; each number as
//   the digits the fields admit (ToPhoneDigits);
// - the first two EMAILs -> email_address1, email_address2;
// - one ADR (a work address first, else a preferred one, else the first): its lines ->
//   address1..4, its country -> country; and for an address in Singapore the formatted fields:
//   house_block_no, road_name (only a road the road table knows, spelt as there), level_no and
//   unit_no from a "#05-12" unit, building_name, and the six-digit postal_code.

#include "contacts/VCard.h"
#include "sdk/XmlHelpers.h"

#include <QString>

#include <functional>

namespace kestrel {

// Lookups into the program's lists, replaceable in tests. Each answers "" for a name it does not
// know.
struct ContactLookups {
    // The road table's spelling of a road name given in any letter case.
    std::function<QString(const QString&)> roadName;
    // The country list's name for a country name or ISO alpha-2 code.
    std::function<QString(const QString&)> countryName;
    // The ISO alpha-2 code of a country name.
    std::function<QString(const QString&)> countryCode;

    // The program's own: the road table (else the lookup database), the lookup database's
    // countries.
    static ContactLookups Program();
};

// The formatted fields of a Singapore address, as far as the address gives them.
struct LocalAddress {
    QString buildingName;
    QString houseBlockNo;
    QString levelNo;
    QString unitNo;
    QString roadName;
    QString postalCode;
};

// Splits an address into formatted fields when it is in Singapore (no country, or Singapore, and
// a six-digit postal code); false otherwise. ADR components: 0 PO box, 1 extended address,
// 2 street, 3 locality, 4 region, 5 postal code, 6 country.
bool SplitLocalAddress(const QStringList& adr, const ContactLookups& lookups, LocalAddress& out);

// At most four lines of the address, in the order they are written on an envelope.
QStringList UnformattedLines(const QStringList& adr);

XmlDocPtr BuildContactDocument(const VCard& card, const ContactLookups& lookups);

} // namespace kestrel
