#pragma once
// The member record as plain values and the rules over it, needing no window: the 26 cells of a
// member row and its roles table, the identity key, the role summary, the NRIC check letter, the
// checks a member must pass before it is stored (each failure with its text and the page and
// control to show), the project coordinator and the professional number it gives the project.
// The member pages move values between their fields and a MemberValues; everything that decides
// lives here.

#include "controls/DuplicateIndex.h"
#include "controls/RecordTable.h"

#include <QList>
#include <QString>

#include <pugixml.hpp>

#include <functional>

namespace kestrel {

// The cells of a member row: list columns, record-table columns and XML elements alike.
enum MemberColumn : int {
    COL_MEMBER_NAME = 0,
    COL_IC_FLAG,
    COL_IC_PASSPORT_NO,
    COL_COUNTRY,
    COL_COORDINATOR,
    COL_FIRM_NAME,
    COL_DESIGNATION,
    COL_ROLES, // the role summary, shown only
    COL_FORMATTED,
    COL_BUILDING_NAME,
    COL_HOUSE_BLOCK_NO,
    COL_LEVEL_NO,
    COL_UNIT_NO,
    COL_ROAD_NAME,
    COL_POSTAL_CODE,
    COL_ADDRESS1,
    COL_ADDRESS2,
    COL_ADDRESS3,
    COL_ADDRESS4,
    COL_TEL_NO,
    COL_TEL_EXT,
    COL_MOBILE_NO,
    COL_PAGER_NO,
    COL_FAX_NO,
    COL_EMAIL,
    COL_EMAIL2,
    kMemberColumnCount
};

// The cells of a roles row.
enum RoleColumn : int { ROLE_DESCRIPTION = 0, ROLE_PROFESSIONAL_NO, kRoleColumnCount };

// The controls of the three detail pages that a failed check points to.
enum MemberControlId : int {
    IDC_MEMBER_NAME = 1032,
    IDC_NRIC_NO = 1036,
    IDC_PASSPORT_NO = 1037,
    IDC_OTHER_ID = 1038,
    IDC_COUNTRY = 1041,
    IDC_COORDINATOR = 1042,
    IDC_ROLE_CHOICES = 1044,
    IDC_ROLES_LIST = 1060,
    IDC_MEMBER_ROAD_NAME = 1024,
    IDC_MEMBER_POSTAL_CODE = 1023,
    IDC_ADDRESS_LINE1 = 1019,
    IDC_TEL_NO = 1047,
    IDC_TEL_EXT = 1051,
    IDC_MOBILE_NO = 1048,
    IDC_PAGER_NO = 1049,
    IDC_FAX_NO = 1050,
    IDC_EMAIL = 1025,
    IDC_EMAIL2 = 1027,
};

// The detail pages of the member page's nested sheet, in tab order.
enum class MemberDetailPage { General = 0, Address = 1, Contact = 2 };

// Identity types as the record holds them.
inline const QString kIdentityNric = QStringLiteral("Y");
inline const QString kIdentityPassport = QStringLiteral("N");
inline const QString kIdentityOther = QStringLiteral("O");

// The country an NRIC or other identification implies.
inline const QString kSingapore = QStringLiteral("Singapore");

// The email characters the store check admits.
inline constexpr const char* kEmailChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789@._-";

// One member as the three detail pages hold it.
struct MemberValues {
    // General page.
    QString name;
    QString identityType = kIdentityNric;
    QString nricPrefix = QStringLiteral("S");
    QString nricNo;
    QString passportNo;
    QString otherId;
    QString country;
    bool coordinator = false;
    QString firmName;
    QString designation;
    RecordTable roles{kRoleColumnCount};
    // Address page.
    bool formatted = true;
    QString buildingName;
    QString houseBlockNo;
    QString levelNo;
    QString unitNo;
    QString roadName;
    QString postalCode;
    QString addressLines[4];
    // Contact page.
    QString telNo;
    QString telExt;
    QString mobileNo;
    QString pagerNo;
    QString faxNo;
    QString email;
    QString email2;

    // What the record keeps as the identity number: prefix + NRIC number, the passport number,
    // or the other identification, by type.
    QString IdentityKey() const;

    // Writes the 26 cells (the role summary included) into a row of kMemberColumnCount cells;
    // the roles go with the row's item data, which the caller owns.
    void ToRow(RecordRow& row) const;
    // The values of a row and its roles (null: none). An NRIC identity is split into its prefix
    // letter and number again; the other two identity fields stay empty.
    static MemberValues FromRow(const RecordRow& row, const RecordTable* roles);

    bool operator==(const MemberValues& other) const = default;
};

// A member's roles table as a row's item data holds it (0: none), and back.
RecordTable* RolesOf(RecordItemData data);
RecordItemData RolesData(RecordTable* roles);

// The role descriptions in order, joined by ", ", commas and blanks trimmed from both ends.
QString RoleSummary(const RecordTable& roles);

// The NRIC rule: seven characters (the last six digits) and a check letter from the weighted
// sum. The prefix letter takes no part.
bool IsValidNric(const QString& number);

// Whether one of the roles may coordinate a project (it has a coordinator code).
bool CanBeCoordinator(const RecordTable& roles);

struct MemberCheckFailure {
    QString text; // without the line feed
    MemberDetailPage page = MemberDetailPage::General;
    int controlId = 0;
};

// The checks before a member is stored, in their order, all of them. The name, an other
// identification and an unformatted first address line are trimmed in `values` first, so what is
// stored is trimmed. The duplicate identity is checked apart (IdentityKeyOf), over the other
// rows, and only when these all pass.
QList<MemberCheckFailure> RunMemberChecks(MemberValues& values);

// A member's key: the identity number and the country (letter case aside). The number comes first:
// most members of a project share a country, so it tells rows apart soonest.
RecordKey IdentityKeyOf(const MemberValues& values);

// The first row marked as project coordinator, or -1.
int FindCoordinatorRow(const RecordTable& members);

// The professional number the coordinator gives the project reference: the prefix of the chosen
// coordinating role followed by its number. An architect's role wins at once; otherwise a
// professional engineer's replaces another kind; otherwise the first coordinating role. Empty
// when no role can coordinate.
QString CoordinatorProfessionalNo(const RecordTable& roles);

// The member elements of a project file. Writing puts one member element per row under the
// group, with every element in the file's order (codes looked up from the descriptions);
// reading makes one row per member element, its description looked up again from the codes,
// and asks `makeRoles` for each member's roles table, whose pointer becomes the row's item data.
void WriteMemberGroup(pugi::xml_document& doc, pugi::xml_node group, const RecordTable& members);
RecordTable ReadMemberGroup(pugi::xml_node group, const std::function<RecordTable*()>& makeRoles);

} // namespace kestrel
