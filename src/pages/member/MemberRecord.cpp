#include "pages/member/MemberRecord.h"

#include "pages/RecordRowsReader.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"
#include "sdk/XmlDeferredRows.h"
#include "sdk/XmlHelpers.h"

#include <iterator>
#include <span>
#include <vector>

namespace kestrel {

namespace {

enum MemberCheckString : int {
    IDS_INVALID_EMAIL = 125,
    IDS_ROLE_REQUIRED = 126,
    IDS_PROFESSIONAL_NO_MANDATORY = 127,
    IDS_NAME_MANDATORY = 130,
    IDS_ID_REQUIRED = 131,
    IDS_INVALID_NRIC = 132,
    IDS_ROAD_MANDATORY = 133,
    IDS_POSTAL_CODE_MANDATORY = 134,
    IDS_INVALID_POSTAL_CODE = 135,
    IDS_LINE1_MANDATORY = 136,
    IDS_INVALID_EMAIL2 = 137,
    IDS_COORDINATOR_NEEDS_PHONE = 138,
    IDS_DUPLICATE_RECORD = 154,
    IDS_COUNTRY_MANDATORY = 156,
    IDS_ROLES_MANDATORY = 158,
    IDS_INVALID_TEL = 159,
    IDS_INVALID_TEL_EXT = 160,
    IDS_INVALID_FAX = 161,
    IDS_INVALID_MOBILE = 162,
    IDS_INVALID_PAGER = 163,
    IDS_CANNOT_COORDINATE = 177,
};

const QString kYes = QStringLiteral("Y");
const QString kNo = QStringLiteral("N");

bool onlyFrom(const QString& text, const QString& allowed) {
    for (QChar c : text)
        if (!allowed.contains(c))
            return false;
    return true;
}

bool onlyDigits(const QString& text) {
    return onlyFrom(text, QStringLiteral("0123456789"));
}

bool equalsIgnoringCase(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString roleCode(const QString& description) {
    return XKR_GetAppDB()->GetRoleCode(description);
}

QString coordinatorCode(const QString& description) {
    return XKR_GetAppDB()->GetProjectCoordinatorCode(roleCode(description));
}

// The roles rule: at least one role; no row without its role; a number where the role's
// profession has a prefix; no role twice with the same number.
void checkRoles(const RecordTable& roles, QList<MemberCheckFailure>& failures) {
    auto add = [&failures](const QString& text, int control) {
        failures.append({text, MemberDetailPage::General, control});
    };
    if (roles.IsEmpty()) {
        add(GetRCString(IDS_ROLES_MANDATORY), IDC_ROLE_CHOICES);
        return;
    }
    const QString recordNumber = QStringLiteral("Record number: ");
    for (int row = 0; row < roles.GetRowCount(); ++row) {
        const QString role = roles.GetCell(row, ROLE_DESCRIPTION);
        const QString number = roles.GetCell(row, ROLE_PROFESSIONAL_NO);
        if (role.isEmpty()) {
            add(recordNumber + QString::number(row + 1) + QStringLiteral(". ") +
                    GetRCString(IDS_ROLE_REQUIRED),
                IDC_ROLES_LIST);
            return;
        }
        if (number.isEmpty() &&
            !XKR_GetAppDB()->GetProjectPrefixDescription(roleCode(role)).isEmpty()) {
            add(recordNumber + QString::number(row + 1) + QLatin1Char(' ') +
                    GetRCString(IDS_PROFESSIONAL_NO_MANDATORY),
                IDC_ROLES_LIST);
            return;
        }
        for (int later = row + 1; later < roles.GetRowCount(); ++later) {
            if (equalsIgnoringCase(role, roles.GetCell(later, ROLE_DESCRIPTION)) &&
                equalsIgnoringCase(number, roles.GetCell(later, ROLE_PROFESSIONAL_NO))) {
                add(QStringLiteral("Roles %1 & %2. ").arg(row + 1).arg(later + 1) +
                        GetRCString(IDS_DUPLICATE_RECORD),
                    IDC_ROLES_LIST);
                break;
            }
        }
    }
}

} // namespace

QString MemberValues::IdentityKey() const {
    if (identityType == kIdentityNric)
        return nricPrefix + nricNo;
    if (identityType == kIdentityPassport)
        return passportNo;
    return otherId;
}

void MemberValues::ToRow(RecordRow& row) const {
    const QString cells[kMemberColumnCount] = {name,
                                               identityType,
                                               IdentityKey(),
                                               country,
                                               coordinator ? kYes : kNo,
                                               firmName,
                                               designation,
                                               RoleSummary(roles),
                                               formatted ? kYes : kNo,
                                               buildingName,
                                               houseBlockNo,
                                               levelNo,
                                               unitNo,
                                               roadName,
                                               postalCode,
                                               addressLines[0],
                                               addressLines[1],
                                               addressLines[2],
                                               addressLines[3],
                                               telNo,
                                               telExt,
                                               mobileNo,
                                               pagerNo,
                                               faxNo,
                                               email,
                                               email2};
    for (int column = 0; column < kMemberColumnCount; ++column)
        row.SetCell(column, cells[column]);
}

MemberValues MemberValues::FromRow(const RecordRow& row, const RecordTable* roles) {
    MemberValues values;
    values.name = row.GetCell(COL_MEMBER_NAME);
    values.identityType = row.GetCell(COL_IC_FLAG);
    const QString identity = row.GetCell(COL_IC_PASSPORT_NO);
    if (values.identityType == kIdentityNric) {
        values.nricPrefix = identity.left(1);
        values.nricNo = identity.mid(1);
    } else if (values.identityType == kIdentityPassport) {
        values.passportNo = identity;
    } else {
        values.otherId = identity;
    }
    values.country = row.GetCell(COL_COUNTRY);
    values.coordinator = row.GetCell(COL_COORDINATOR) == kYes;
    values.firmName = row.GetCell(COL_FIRM_NAME);
    values.designation = row.GetCell(COL_DESIGNATION);
    if (roles)
        values.roles = *roles;
    values.formatted = row.GetCell(COL_FORMATTED) == kYes;
    values.buildingName = row.GetCell(COL_BUILDING_NAME);
    values.houseBlockNo = row.GetCell(COL_HOUSE_BLOCK_NO);
    values.levelNo = row.GetCell(COL_LEVEL_NO);
    values.unitNo = row.GetCell(COL_UNIT_NO);
    values.roadName = row.GetCell(COL_ROAD_NAME);
    values.postalCode = row.GetCell(COL_POSTAL_CODE);
    for (int line = 0; line < 4; ++line)
        values.addressLines[line] = row.GetCell(COL_ADDRESS1 + line);
    values.telNo = row.GetCell(COL_TEL_NO);
    values.telExt = row.GetCell(COL_TEL_EXT);
    values.mobileNo = row.GetCell(COL_MOBILE_NO);
    values.pagerNo = row.GetCell(COL_PAGER_NO);
    values.faxNo = row.GetCell(COL_FAX_NO);
    values.email = row.GetCell(COL_EMAIL);
    values.email2 = row.GetCell(COL_EMAIL2);
    return values;
}

RecordTable* RolesOf(RecordItemData data) {
    return reinterpret_cast<RecordTable*>(data);
}

RecordItemData RolesData(RecordTable* roles) {
    return reinterpret_cast<RecordItemData>(roles);
}

namespace {

// The role summary in place: the only role's own cell where that is the whole summary (most
// members have one role), else `joined`, which is filled with it.
QStringView roleSummary(const RecordTable& roles, QString& joined) {
    if (roles.GetRowCount() == 1) {
        const QStringView only = roles.CellView(0, ROLE_DESCRIPTION);
        const bool plain = !only.startsWith(QLatin1Char(',')) &&
                           !only.startsWith(QLatin1Char(' ')) && !only.endsWith(QLatin1Char(',')) &&
                           !only.endsWith(QLatin1Char(' '));
        if (plain)
            return only;
    }
    QString summary;
    for (int row = 0; row < roles.GetRowCount(); ++row) {
        summary += roles.CellView(row, ROLE_DESCRIPTION);
        summary += QStringLiteral(", ");
    }
    qsizetype first = 0;
    qsizetype last = summary.size();
    auto trimmable = [](QChar c) { return c == QLatin1Char(',') || c == QLatin1Char(' '); };
    while (first < last && trimmable(summary[first]))
        ++first;
    while (last > first && trimmable(summary[last - 1]))
        --last;
    joined = summary.mid(first, last - first);
    return joined;
}

} // namespace

QString RoleSummary(const RecordTable& roles) {
    QString joined;
    return roleSummary(roles, joined).toString();
}

bool IsValidNric(const QString& number) {
    if (number.size() != 8)
        return false;
    for (int i = 1; i < 7; ++i)
        if (number[i] < QLatin1Char('0') || number[i] > QLatin1Char('9'))
            return false;
    static constexpr int kWeights[7] = {2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 7; ++i) {
        const char16_t c = number[i].unicode();
        sum += (c >= '0' && c <= '9' ? c - '0' : 0) * kWeights[i];
    }
    if (sum == 0)
        return false;
    static constexpr char kCheckLetters[] = "ABCDEFGHIZJ";
    const int r = 11 - sum % 11; // 1 to 11
    return number[7] == QLatin1Char(kCheckLetters[r - 1]);
}

bool CanBeCoordinator(const RecordTable& roles) {
    for (int row = 0; row < roles.GetRowCount(); ++row)
        if (!coordinatorCode(roles.GetCell(row, ROLE_DESCRIPTION)).isEmpty())
            return true;
    return false;
}

QList<MemberCheckFailure> RunMemberChecks(MemberValues& v) {
    QList<MemberCheckFailure> failures;
    auto add = [&failures](int stringId, MemberDetailPage page, int control) {
        failures.append({GetRCString(stringId), page, control});
    };
    constexpr MemberDetailPage General = MemberDetailPage::General;
    constexpr MemberDetailPage Address = MemberDetailPage::Address;
    constexpr MemberDetailPage Contact = MemberDetailPage::Contact;

    v.name = v.name.trimmed();
    if (v.name.isEmpty())
        add(IDS_NAME_MANDATORY, General, IDC_MEMBER_NAME);
    const bool nric = v.identityType == kIdentityNric;
    const bool passport = v.identityType == kIdentityPassport;
    const bool other = v.identityType == kIdentityOther;
    if (nric && v.nricNo.isEmpty())
        add(IDS_ID_REQUIRED, General, IDC_NRIC_NO);
    if (passport && v.passportNo.isEmpty())
        add(IDS_ID_REQUIRED, General, IDC_PASSPORT_NO);
    if (passport && v.country.isEmpty())
        add(IDS_COUNTRY_MANDATORY, General, IDC_COUNTRY);
    if (other) {
        v.otherId = v.otherId.trimmed();
        if (v.otherId.isEmpty())
            add(IDS_ID_REQUIRED, General, IDC_OTHER_ID);
    }
    if (nric && !v.nricNo.isEmpty() && !IsValidNric(v.nricNo))
        add(IDS_INVALID_NRIC, General, IDC_NRIC_NO);

    if (v.formatted) {
        if (v.roadName.isEmpty())
            add(IDS_ROAD_MANDATORY, Address, IDC_MEMBER_ROAD_NAME);
        if (!v.postalCode.isEmpty() && (!onlyDigits(v.postalCode) || v.postalCode.size() < 6))
            add(IDS_INVALID_POSTAL_CODE, Address, IDC_MEMBER_POSTAL_CODE);
        if (v.postalCode.isEmpty())
            add(IDS_POSTAL_CODE_MANDATORY, Address, IDC_MEMBER_POSTAL_CODE);
    } else {
        v.addressLines[0] = v.addressLines[0].trimmed();
        if (v.addressLines[0].isEmpty())
            add(IDS_LINE1_MANDATORY, Address, IDC_ADDRESS_LINE1);
    }

    const struct {
        const QString& number;
        int stringId;
        int control;
    } numbers[] = {{v.telNo, IDS_INVALID_TEL, IDC_TEL_NO},
                   {v.telExt, IDS_INVALID_TEL_EXT, IDC_TEL_EXT},
                   {v.faxNo, IDS_INVALID_FAX, IDC_FAX_NO},
                   {v.mobileNo, IDS_INVALID_MOBILE, IDC_MOBILE_NO},
                   {v.pagerNo, IDS_INVALID_PAGER, IDC_PAGER_NO}};
    for (const auto& number : numbers)
        if (!onlyDigits(number.number))
            add(number.stringId, Contact, number.control);
    const QString emailChars = QString::fromLatin1(kEmailChars);
    if (v.email.isEmpty() || !onlyFrom(v.email, emailChars))
        add(IDS_INVALID_EMAIL, Contact, IDC_EMAIL);
    if (!onlyFrom(v.email2, emailChars))
        add(IDS_INVALID_EMAIL2, Contact, IDC_EMAIL2);

    checkRoles(v.roles, failures);
    if (v.coordinator) {
        if (!CanBeCoordinator(v.roles))
            add(IDS_CANNOT_COORDINATE, General, IDC_COORDINATOR);
        else if (v.mobileNo.isEmpty() && v.telNo.isEmpty())
            add(IDS_COORDINATOR_NEEDS_PHONE, Contact, IDC_TEL_NO);
    }
    return failures;
}

RecordKey IdentityKeyOf(const MemberValues& values) {
    return RecordKey({{COL_IC_PASSPORT_NO, values.IdentityKey()}, {COL_COUNTRY, values.country}});
}

int FindCoordinatorRow(const RecordTable& members) {
    for (int row = 0; row < members.GetRowCount(); ++row)
        if (members.GetCell(row, COL_COORDINATOR) == kYes)
            return row;
    return -1;
}

QString CoordinatorProfessionalNo(const RecordTable& roles) {
    int chosen = -1;
    QString chosenCode;
    QString chosenCoordinator;
    for (int row = 0; row < roles.GetRowCount(); ++row) {
        const QString code = roleCode(roles.GetCell(row, ROLE_DESCRIPTION));
        const QString coordinator = XKR_GetAppDB()->GetProjectCoordinatorCode(code);
        if (coordinator.isEmpty())
            continue;
        const bool architect = code.startsWith(QStringLiteral("ARCH"));
        const bool engineer = code.startsWith(QStringLiteral("PE"));
        if (architect || (engineer && !chosenCode.startsWith(QStringLiteral("PE"))) || chosen < 0) {
            chosen = row;
            chosenCode = code;
            chosenCoordinator = coordinator;
        }
        if (architect)
            break;
    }
    if (chosen < 0)
        return QString();
    return XKR_GetAppDB()->GetProjectPrefixDescription(chosenCoordinator) +
           roles.GetCell(chosen, ROLE_PROFESSIONAL_NO);
}

namespace {

// The leaf elements of a member that hold one cell each, in file order around the roles and the
// address type, which are written apart.
struct CellElement {
    const char* name;
    int column;
};
constexpr CellElement kLeadingCells[] = {{"member_name", COL_MEMBER_NAME},
                                         {"ic_flag", COL_IC_FLAG},
                                         {"ic_passport_no", COL_IC_PASSPORT_NO},
                                         {"country", COL_COUNTRY},
                                         {"project_coordinator_flag", COL_COORDINATOR},
                                         {"firm_name", COL_FIRM_NAME},
                                         {"designation", COL_DESIGNATION}};
constexpr CellElement kAddressCells[] = {{"building_name", COL_BUILDING_NAME},
                                         {"house_block_no", COL_HOUSE_BLOCK_NO},
                                         {"level_no", COL_LEVEL_NO},
                                         {"unit_no", COL_UNIT_NO}};
constexpr CellElement kTrailingCells[] = {
    {"postal_code", COL_POSTAL_CODE}, {"address1", COL_ADDRESS1},
    {"address2", COL_ADDRESS2},       {"address3", COL_ADDRESS3},
    {"address4", COL_ADDRESS4},       {"tel_no", COL_TEL_NO},
    {"tel_ext_no", COL_TEL_EXT},      {"mobile_no", COL_MOBILE_NO},
    {"pager_no", COL_PAGER_NO},       {"fax_no", COL_FAX_NO},
    {"email_address1", COL_EMAIL},    {"email_address2", COL_EMAIL2}};

// AddXMLLeafNode with a name that needs no conversion: a member has 30 elements.
void addLeaf(pugi::xml_document&, pugi::xml_node parent, const char* name, QStringView text) {
    pugi::xml_node leaf = parent.append_child(name);
    if (!text.isEmpty())
        leaf.append_child(pugi::node_pcdata).set_value(XmlTextUtf8(text).c_str());
}

void writeMember(pugi::xml_document& doc, pugi::xml_node group, const RecordRow& cells,
                 const RecordTable& roles, CAppDB* db) {
    pugi::xml_node member = group.append_child("member");
    for (const CellElement& leaf : kLeadingCells)
        addLeaf(doc, member, leaf.name, cells.CellView(leaf.column));
    pugi::xml_node roleGroup = member.append_child("member_role_group");
    for (int r = 0; r < roles.GetRowCount(); ++r) {
        const QString description = roles.GetCell(r, ROLE_DESCRIPTION);
        pugi::xml_node role = roleGroup.append_child("member_role");
        addLeaf(doc, role, "member_role_code_desc", description);
        addLeaf(doc, role, "member_role_code", db->GetRoleCode(description));
        addLeaf(doc, role, "professional_no", roles.CellView(r, ROLE_PROFESSIONAL_NO));
    }
    addLeaf(doc, member, "address_type_flag",
            cells.CellView(COL_FORMATTED) == kYes ? QStringLiteral("F") : kNo);
    for (const CellElement& leaf : kAddressCells)
        addLeaf(doc, member, leaf.name, cells.CellView(leaf.column));
    const QString road = cells.GetCell(COL_ROAD_NAME);
    addLeaf(doc, member, "road_code_desc", road);
    addLeaf(doc, member, "road_code", db->GetRoadCode(road));
    for (const CellElement& leaf : kTrailingCells)
        addLeaf(doc, member, leaf.name, cells.CellView(leaf.column));
}

} // namespace

void WriteMemberGroup(pugi::xml_document& doc, pugi::xml_node group, const RecordTable& members) {
    // The rows as they stand now, roles included: they may be written only when the document is
    // saved (WriteRecordRows), and a copy of a table costs nothing until either side changes.
    std::vector<RecordTable> roles;
    roles.reserve(static_cast<size_t>(members.GetRowCount()));
    for (int row = 0; row < members.GetRowCount(); ++row) {
        const RecordTable* own = RolesOf(members.GetItemData(row));
        roles.push_back(own ? *own : RecordTable(kRoleColumnCount));
    }
    WriteRecordRows(doc, group, members.GetRowCount(),
                    [members, roles = std::move(roles),
                     db = XKR_GetAppDB()](pugi::xml_document& doc, pugi::xml_node group, int row) {
                        writeMember(doc, group, members.GetRow(row),
                                    roles[static_cast<size_t>(row)], db);
                    });
}

RecordTable ReadMemberGroup(pugi::xml_node group, const std::function<RecordTable*()>& makeRoles) {
    const std::vector<pugi::xml_node> records = RecordsOf(group, "member");
    // Made here, where the page's own calls are safe; each half of a large group fills the roles
    // tables of its own members.
    std::vector<RecordTable*> rolesOf(records.size());
    for (RecordTable*& roles : rolesOf)
        roles = makeRoles();

    const auto readMembers = [&rolesOf](std::span<const pugi::xml_node> members, size_t first,
                                        RecordTable& into) {
        CAppDB* db = XKR_GetAppDB();
        // Every child a member may have, in the order files give them, looked for in one pass per
        // member; the description of the road is matched only to be passed over.
        enum Field { ROLE_GROUP = kMemberColumnCount, ADDRESS_TYPE, ROAD_CODE, ROAD_DESC, kFields };
        static constexpr struct {
            const char* name;
            int field;
        } kOrder[] = {{"member_name", COL_MEMBER_NAME},
                      {"ic_flag", COL_IC_FLAG},
                      {"ic_passport_no", COL_IC_PASSPORT_NO},
                      {"country", COL_COUNTRY},
                      {"project_coordinator_flag", COL_COORDINATOR},
                      {"firm_name", COL_FIRM_NAME},
                      {"designation", COL_DESIGNATION},
                      {"member_role_group", ROLE_GROUP},
                      {"address_type_flag", ADDRESS_TYPE},
                      {"building_name", COL_BUILDING_NAME},
                      {"house_block_no", COL_HOUSE_BLOCK_NO},
                      {"level_no", COL_LEVEL_NO},
                      {"unit_no", COL_UNIT_NO},
                      {"road_code_desc", ROAD_DESC},
                      {"road_code", ROAD_CODE},
                      {"postal_code", COL_POSTAL_CODE},
                      {"address1", COL_ADDRESS1},
                      {"address2", COL_ADDRESS2},
                      {"address3", COL_ADDRESS3},
                      {"address4", COL_ADDRESS4},
                      {"tel_no", COL_TEL_NO},
                      {"tel_ext_no", COL_TEL_EXT},
                      {"mobile_no", COL_MOBILE_NO},
                      {"pager_no", COL_PAGER_NO},
                      {"fax_no", COL_FAX_NO},
                      {"email_address1", COL_EMAIL},
                      {"email_address2", COL_EMAIL2}};
        constexpr int kCount = static_cast<int>(std::size(kOrder));
        const char* names[kCount];
        for (int i = 0; i < kCount; ++i)
            names[i] = kOrder[i].name;

        CCodeDescriptions roads(db, &CAppDB::GetRoadDescription);
        CCodeDescriptions roleNames(db, &CAppDB::GetRoleDescription);
        static constexpr const char* kRoleNames[] = {"member_role_code", "professional_no"};

        pugi::xml_node found[kCount];
        pugi::xml_node field[kFields];
        std::string gathered[kFields];
        RecordFields roleFields(kRoleNames);
        QAnyStringView cells[kMemberColumnCount];
        QString summary;
        for (size_t i = 0; i < members.size(); ++i) {
            FindChildElements(members[i], names, found, kCount);
            for (int f = 0; f < kCount; ++f)
                field[kOrder[f].field] = found[f];
            for (int column = 0; column < kMemberColumnCount; ++column)
                cells[column] = GetNodeTextView(field[column], gathered[column]);
            cells[COL_FORMATTED] =
                GetNodeTextUtf8(field[ADDRESS_TYPE], gathered[ADDRESS_TYPE]) == "F" ? kYes : kNo;
            // Descriptions are looked up again from the codes: the file's own may be out of date.
            cells[COL_ROAD_NAME] = roads.Of(GetNodeTextUtf8(field[ROAD_CODE], gathered[ROAD_CODE]));
            RecordTable* roles = rolesOf[first + i];
            for (pugi::xml_node role : field[ROLE_GROUP].children("member_role")) {
                if (role.type() != pugi::node_element)
                    continue;
                roleFields.Find(role);
                QAnyStringView roleCells[kRoleColumnCount];
                roleCells[ROLE_DESCRIPTION] = roleNames.Of(roleFields.Utf8(0));
                roleCells[ROLE_PROFESSIONAL_NO] = roleFields.Text(1);
                roles->AppendRow().AssignCells(roleCells, kRoleColumnCount);
            }
            cells[COL_ROLES] = roleSummary(*roles, summary);
            RecordRow& row = into.AppendRow();
            row.AssignCells(cells, kMemberColumnCount);
            row.SetItemData(RolesData(roles));
        }
    };
    return ReadRecordRows(records, kMemberColumnCount, readMembers);
}

} // namespace kestrel
