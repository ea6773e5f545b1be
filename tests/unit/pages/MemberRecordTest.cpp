// The member record as plain values: its cells and identity encoding, the checks before a member
// is stored, the coordinator's professional number, and the member elements of a project file.
#include "pages/member/MemberRecord.h"

#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kestrel;

namespace {

QString text(int id) {
    return GetRCString(id);
}

RecordTable roles(std::initializer_list<std::pair<const char*, const char*>> rows) {
    RecordTable table(kRoleColumnCount);
    for (const auto& [role, number] : rows) {
        RecordRow& row = table.AppendRow();
        row.SetCell(ROLE_DESCRIPTION, QString::fromUtf8(role));
        row.SetCell(ROLE_PROFESSIONAL_NO, QString::fromUtf8(number));
    }
    return table;
}

// A member every check accepts: an architect with an NRIC, a formatted address and an email.
MemberValues validMember() {
    MemberValues v;
    v.name = QStringLiteral("TAN AH KOW");
    v.nricNo = QStringLiteral("1234567D");
    v.country = kSingapore;
    v.roles = roles({{"ARCHITECT", "1234"}});
    v.roadName = QStringLiteral("ORCHARD ROAD");
    v.postalCode = QStringLiteral("238858");
    v.email = QStringLiteral("tan@example.com");
    return v;
}

QStringList texts(const QList<MemberCheckFailure>& failures) {
    QStringList all;
    for (const MemberCheckFailure& failure : failures)
        all << failure.text;
    return all;
}

} // namespace

TEST(MemberNric, CheckLetterFollowsTheWeightedSum) {
    for (const char* valid : {"1234567D", "0000001I", "9999999C"})
        EXPECT_TRUE(IsValidNric(QString::fromLatin1(valid))) << valid;
    // Wrong letter, lower case, wrong lengths, a letter among the digits, a zero sum.
    for (const char* invalid :
         {"1234567A", "1234567d", "12345678D", "234567D", "12a4567D", "0000000J", ""})
        EXPECT_FALSE(IsValidNric(QString::fromLatin1(invalid))) << invalid;
    // The first character is not tested as a digit; it counts 0 in the sum.
    EXPECT_TRUE(IsValidNric(QStringLiteral("X234567F")));
}

TEST(MemberRow, IdentityIsComposedAndSplitAgain) {
    struct Case {
        const char* type;
        const char* stored;
    };
    for (const Case& c : {Case{"Y", "S1234567D"}, Case{"N", "A12345678"}, Case{"O", "WP 42"}}) {
        MemberValues v = validMember();
        v.identityType = QString::fromLatin1(c.type);
        v.nricNo = QStringLiteral("1234567D");
        v.passportNo = QStringLiteral("A12345678");
        v.otherId = QStringLiteral("WP 42");
        v.coordinator = true;
        v.formatted = false;
        RecordRow row(kMemberColumnCount);
        v.ToRow(row);
        EXPECT_EQ(row.GetCell(COL_IC_PASSPORT_NO), QString::fromLatin1(c.stored)) << c.type;
        EXPECT_EQ(row.GetCell(COL_COORDINATOR), QStringLiteral("Y"));
        EXPECT_EQ(row.GetCell(COL_FORMATTED), QStringLiteral("N"));
        EXPECT_EQ(row.GetCell(COL_ROLES), QStringLiteral("ARCHITECT"));

        const MemberValues back = MemberValues::FromRow(row, &v.roles);
        EXPECT_EQ(back.IdentityKey(), QString::fromLatin1(c.stored)) << c.type;
        EXPECT_EQ(back.nricNo, v.identityType == kIdentityNric ? v.nricNo : QString());
        EXPECT_EQ(back.passportNo, v.identityType == kIdentityPassport ? v.passportNo : QString());
        EXPECT_EQ(back.roles, v.roles);
        EXPECT_TRUE(back.coordinator);
        EXPECT_FALSE(back.formatted);
    }
    EXPECT_EQ(RoleSummary(roles({{"ARCHITECT", "1"}, {"", "2"}, {"DEVELOPER", ""}})),
              QStringLiteral("ARCHITECT, , DEVELOPER"));
    EXPECT_EQ(RoleSummary(roles({})), QString());
}

// Each case changes the valid member and names every line the checks must give, in order, and
// where the first one sends the user.
TEST(MemberChecks, EveryFailureIsListedInOrderWithItsPageAndControl) {
    struct Case {
        const char* what;
        std::function<void(MemberValues&)> change;
        QStringList expected;
        MemberDetailPage page;
        int control;
    };
    const QString record = QStringLiteral("Record number: ");
    const std::vector<Case> cases = {
        {"valid", [](MemberValues&) {}, {}, MemberDetailPage::General, 0},
        {"blank name and no NRIC number",
         [](MemberValues& v) {
             v.name = QStringLiteral("   ");
             v.nricNo.clear();
         },
         {text(130), text(131)},
         MemberDetailPage::General,
         IDC_MEMBER_NAME},
        {"passport without number or country",
         [](MemberValues& v) {
             v.identityType = kIdentityPassport;
             v.country.clear();
         },
         {text(131), text(156)},
         MemberDetailPage::General,
         IDC_PASSPORT_NO},
        {"other identification of blanks",
         [](MemberValues& v) {
             v.identityType = kIdentityOther;
             v.otherId = QStringLiteral("  ");
         },
         {text(131)},
         MemberDetailPage::General,
         IDC_OTHER_ID},
        {"an NRIC or other identification needs no country",
         [](MemberValues& v) { v.country.clear(); },
         {},
         MemberDetailPage::General,
         0},
        {"bad NRIC letter",
         [](MemberValues& v) { v.nricNo = QStringLiteral("1234567A"); },
         {text(132)},
         MemberDetailPage::General,
         IDC_NRIC_NO},
        {"formatted without road, short postal code",
         [](MemberValues& v) {
             v.roadName.clear();
             v.postalCode = QStringLiteral("12345");
         },
         {text(133), text(135)},
         MemberDetailPage::Address,
         IDC_MEMBER_ROAD_NAME},
        {"formatted without postal code",
         [](MemberValues& v) { v.postalCode.clear(); },
         {text(134)},
         MemberDetailPage::Address,
         IDC_MEMBER_POSTAL_CODE},
        {"unformatted with a blank first line",
         [](MemberValues& v) {
             v.formatted = false;
             v.addressLines[0] = QStringLiteral("  ");
         },
         {text(136)},
         MemberDetailPage::Address,
         IDC_ADDRESS_LINE1},
        {"numbers with other characters",
         [](MemberValues& v) {
             v.telNo = QStringLiteral("6123 4567");
             v.telExt = QStringLiteral("x1");
             v.faxNo = QStringLiteral("+65");
             v.mobileNo = QStringLiteral("9-1");
             v.pagerNo = QStringLiteral("p");
         },
         {text(159), text(160), text(161), text(162), text(163)},
         MemberDetailPage::Contact,
         IDC_TEL_NO},
        {"no email, alternate with a separator",
         [](MemberValues& v) {
             v.email.clear();
             v.email2 = QStringLiteral("a@b.c;d@e.f");
         },
         {text(125), text(137)},
         MemberDetailPage::Contact,
         IDC_EMAIL},
        {"no roles",
         [](MemberValues& v) { v.roles = roles({}); },
         {text(158)},
         MemberDetailPage::General,
         IDC_ROLE_CHOICES},
        {"a role row without its role ends the roles check",
         [](MemberValues& v) {
             v.roles = roles({{"ARCHITECT", "1"}, {"", "2"}, {"", ""}});
         },
         {record + QStringLiteral("2. ") + text(126)},
         MemberDetailPage::General,
         IDC_ROLES_LIST},
        {"a role that needs a number",
         [](MemberValues& v) {
             v.roles = roles({{"DEVELOPER", ""}, {"ARCHITECT", ""}});
         },
         {record + QStringLiteral("2 ") + text(127)},
         MemberDetailPage::General,
         IDC_ROLES_LIST},
        {"the same role and number twice, letter case aside",
         [](MemberValues& v) {
             v.roles = roles({{"ARCHITECT", "a1"}, {"DEVELOPER", ""}, {"architect", "A1"}});
         },
         {QStringLiteral("Roles 1 & 3. ") + text(154)},
         MemberDetailPage::General,
         IDC_ROLES_LIST},
        {"a coordinator whose roles cannot coordinate",
         [](MemberValues& v) {
             v.coordinator = true;
             v.roles = roles({{"DEVELOPER", ""}});
         },
         {text(177)},
         MemberDetailPage::General,
         IDC_COORDINATOR},
        {"a coordinator without telephone or mobile",
         [](MemberValues& v) { v.coordinator = true; },
         {text(138)},
         MemberDetailPage::Contact,
         IDC_TEL_NO},
        {"a coordinator with a mobile",
         [](MemberValues& v) {
             v.coordinator = true;
             v.mobileNo = QStringLiteral("91234567");
         },
         {},
         MemberDetailPage::General,
         0},
    };
    for (const Case& c : cases) {
        MemberValues v = validMember();
        c.change(v);
        const QList<MemberCheckFailure> failures = RunMemberChecks(v);
        EXPECT_EQ(texts(failures), c.expected) << c.what;
        if (!failures.isEmpty()) {
            EXPECT_EQ(failures.front().page, c.page) << c.what;
            EXPECT_EQ(failures.front().controlId, c.control) << c.what;
        }
    }
}

TEST(MemberChecks, NameOtherIdentificationAndFirstLineAreStoredTrimmed) {
    MemberValues v = validMember();
    v.name = QStringLiteral("  TAN  ");
    v.identityType = kIdentityOther;
    v.otherId = QStringLiteral(" WP 42 ");
    v.formatted = false;
    v.addressLines[0] = QStringLiteral(" 1 JALAN ");
    EXPECT_TRUE(RunMemberChecks(v).isEmpty());
    EXPECT_EQ(v.name, QStringLiteral("TAN"));
    EXPECT_EQ(v.otherId, QStringLiteral("WP 42"));
    EXPECT_EQ(v.addressLines[0], QStringLiteral("1 JALAN"));
}

TEST(MemberChecks, SameIdentityNeedsTheSameCountryLetterCaseAside) {
    MemberValues v = validMember();
    v.identityType = kIdentityPassport;
    v.passportNo = QStringLiteral("a123");
    v.country = QStringLiteral("malaysia");
    RecordRow row(kMemberColumnCount);
    row.SetCell(COL_IC_PASSPORT_NO, QStringLiteral("A123"));
    row.SetCell(COL_COUNTRY, QStringLiteral("Malaysia"));
    EXPECT_TRUE(IsSameIdentity(v, row));
    row.SetCell(COL_COUNTRY, QStringLiteral("Singapore"));
    EXPECT_FALSE(IsSameIdentity(v, row));
}

TEST(MemberCoordinator, ArchitectWinsThenEngineerThenTheFirstCoordinatingRole) {
    struct Case {
        RecordTable roles;
        const char* number;
    };
    const Case cases[] = {
        {roles({{"DEVELOPER", ""}}), ""},
        {roles({{"REGISTERED SURVEYOR", "7"}}), "RS7"},
        {roles({{"REGISTERED SURVEYOR", "7"}, {"PROFESSIONAL ENGINEER (MECHANICAL)", "8"}}), "PE8"},
        {roles({{"PROFESSIONAL ENGINEER (MECHANICAL)", "8"},
                {"PROFESSIONAL ENGINEER (ELECTRICAL)", "9"}}),
         "PE8"},
        {roles({{"PROFESSIONAL ENGINEER (MECHANICAL)", "8"},
                {"ARCHITECT", "1234"},
                {"REGISTERED SURVEYOR", "7"}}),
         "A1234"},
        // An accredited checker carries a number but does not coordinate.
        {roles({{"ACCREDITED CHECKER", "5"}, {"REGISTERED SURVEYOR", "7"}}), "RS7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CoordinatorProfessionalNo(c.roles), QString::fromLatin1(c.number)) << c.number;

    RecordTable members(kMemberColumnCount);
    for (const char* flag : {"N", "y", "Y", "Y"})
        members.AppendRow().SetCell(COL_COORDINATOR, QString::fromLatin1(flag));
    EXPECT_EQ(FindCoordinatorRow(members), 2);
    EXPECT_EQ(FindCoordinatorRow(RecordTable(kMemberColumnCount)), -1);
}

// Written to a file and read back, a member keeps every cell and role; codes are written beside
// the descriptions and the descriptions read back from the codes.
TEST(MemberXml, WrittenMembersReadBackCellForCell) {
    std::vector<std::unique_ptr<RecordTable>> owned;
    auto makeRoles = [&owned] {
        owned.push_back(std::make_unique<RecordTable>(kRoleColumnCount));
        return owned.back().get();
    };
    RecordTable members(kMemberColumnCount);
    RecordRow& first = members.AppendRow();
    for (int column = 0; column < kMemberColumnCount; ++column)
        first.SetCell(column, QStringLiteral("<&\"'> Ünïcødé 漢字 %1").arg(column));
    first.SetCell(COL_FORMATTED, QStringLiteral("Y"));
    first.SetCell(COL_ROAD_NAME, QStringLiteral("ORCHARD ROAD"));
    RecordTable* firstRoles = makeRoles();
    *firstRoles = roles({{"ARCHITECT", "A&1"}, {"DEVELOPER", ""}});
    first.SetCell(COL_ROLES, RoleSummary(*firstRoles));
    first.SetItemData(RolesData(firstRoles));
    RecordRow& second = members.AppendRow();
    second.SetCell(COL_FORMATTED, QStringLiteral("N"));
    second.SetItemData(RolesData(makeRoles()));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("members.xml"));
    {
        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node group = GetNode(*doc, *doc, QStringLiteral("member_group"), 1, QString());
        WriteMemberGroup(*doc, group, members);
        const pugi::xml_node member = group.child("member");
        EXPECT_STREQ(member.child("address_type_flag").text().get(), "F");
        EXPECT_STREQ(member.child("road_code").text().get(), "R00826");
        const pugi::xml_node role = member.child("member_role_group").child("member_role");
        EXPECT_STREQ(role.child("member_role_code").text().get(), "ARCH");
        // Every element in the file's order.
        QStringList names;
        for (pugi::xml_node child : member.children())
            names << QString::fromLatin1(child.name());
        EXPECT_EQ(names.join(' '),
                  QStringLiteral("member_name ic_flag ic_passport_no country "
                                 "project_coordinator_flag firm_name designation "
                                 "member_role_group address_type_flag building_name "
                                 "house_block_no level_no unit_no road_code_desc road_code "
                                 "postal_code address1 address2 address3 address4 tel_no "
                                 "tel_ext_no mobile_no pager_no fax_no email_address1 "
                                 "email_address2"));
        ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    }
    XmlDocPtr doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    const RecordTable back = ReadMemberGroup(doc->child("member_group"), makeRoles);
    ASSERT_EQ(back.GetRowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < kMemberColumnCount; ++column)
            EXPECT_EQ(back.GetCell(row, column), members.GetCell(row, column))
                << row << "," << column;
        EXPECT_EQ(*RolesOf(back.GetItemData(row)), *RolesOf(members.GetItemData(row))) << row;
    }
    // Nothing under the group for no members.
    XmlDocPtr empty = CreateXMLDoc();
    pugi::xml_node group = GetNode(*empty, *empty, QStringLiteral("member_group"), 1, QString());
    WriteMemberGroup(*empty, group, RecordTable(kMemberColumnCount));
    EXPECT_FALSE(group.first_child());
}
