// The member record as plain values: its cells and identity encoding, the checks before a member
// is stored, the coordinator's professional number, and the member elements of a project file.
#include "pages/member/MemberRecord.h"

#include "pages/RecordRowsReader.h"

#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

using namespace kestrel;

namespace {

const auto T = [](int id) { return GetRCString(id); };

// Roles given as "ROLE:NUMBER,ROLE:NUMBER".
RecordTable roles(const QString& rows) {
    RecordTable table(kRoleColumnCount);
    for (const QString& row : rows.split(',', Qt::SkipEmptyParts)) {
        RecordRow& cells = table.AppendRow();
        cells.SetCell(ROLE_DESCRIPTION, row.section(':', 0, 0));
        cells.SetCell(ROLE_PROFESSIONAL_NO, row.section(':', 1));
    }
    return table;
}

// A member every check accepts (an architect with an NRIC, a formatted address and an email),
// then changed as "field=value;field=value".
MemberValues member(const QString& changes = {}) {
    MemberValues v;
    const std::map<QString, QString MemberValues::*> fields = {
        {"name", &MemberValues::name},     {"type", &MemberValues::identityType},
        {"nric", &MemberValues::nricNo},   {"passport", &MemberValues::passportNo},
        {"other", &MemberValues::otherId}, {"country", &MemberValues::country},
        {"road", &MemberValues::roadName}, {"postal", &MemberValues::postalCode},
        {"tel", &MemberValues::telNo},     {"ext", &MemberValues::telExt},
        {"fax", &MemberValues::faxNo},     {"mobile", &MemberValues::mobileNo},
        {"pager", &MemberValues::pagerNo}, {"email", &MemberValues::email},
        {"email2", &MemberValues::email2}};
    const QString valid =
        "name=TAN AH KOW;nric=1234567D;country=" + kSingapore +
        ";roles=ARCHITECT:1234;road=ORCHARD ROAD;postal=238858;email=tan@example.com;";
    for (const QString& change : (valid + changes).split(';', Qt::SkipEmptyParts)) {
        const QString field = change.section('=', 0, 0), value = change.section('=', 1);
        if (field == "roles")
            v.roles = roles(value);
        else if (field == "coordinator" || field == "formatted")
            (field == "coordinator" ? v.coordinator : v.formatted) = value == "Y";
        else if (field == "line1")
            v.addressLines[0] = value;
        else
            v.*fields.at(field) = value;
    }
    return v;
}

} // namespace

TEST(MemberNric, CheckLetterFollowsTheWeightedSum) {
    for (const char* valid : {"1234567D", "0000001I", "9999999C"})
        EXPECT_TRUE(IsValidNric(valid)) << valid;
    // Wrong letter, lower case, wrong lengths, a letter among the digits, a zero sum.
    for (const char* invalid :
         {"1234567A", "1234567d", "12345678D", "234567D", "12a4567D", "0000000J", ""})
        EXPECT_FALSE(IsValidNric(invalid)) << invalid;
    // The first character is not tested as a digit; it counts 0 in the sum.
    EXPECT_TRUE(IsValidNric("X234567F"));
}

TEST(MemberRow, IdentityIsComposedAndSplitAgain) {
    for (const auto& [type, stored] :
         {std::pair{"Y", "S1234567D"}, {"N", "A12345678"}, {"O", "WP 42"}}) {
        MemberValues v = member("passport=A12345678;other=WP 42;coordinator=Y;formatted=N");
        v.identityType = type;
        RecordRow row(kMemberColumnCount);
        v.ToRow(row);
        EXPECT_EQ(row.GetCell(COL_IC_PASSPORT_NO), stored) << type;
        EXPECT_EQ(row.GetCell(COL_COORDINATOR) + row.GetCell(COL_FORMATTED), "YN");
        EXPECT_EQ(row.GetCell(COL_ROLES), "ARCHITECT");
        const MemberValues back = MemberValues::FromRow(row, &v.roles);
        EXPECT_EQ(back.IdentityKey(), stored) << type;
        EXPECT_EQ(back.nricNo, v.identityType == kIdentityNric ? v.nricNo : QString());
        EXPECT_EQ(back.passportNo, v.identityType == kIdentityPassport ? v.passportNo : QString());
        EXPECT_EQ(back.roles, v.roles);
        EXPECT_TRUE(back.coordinator && !back.formatted);
    }
    EXPECT_EQ(RoleSummary(roles("ARCHITECT:1,:2,DEVELOPER:")), "ARCHITECT, , DEVELOPER");
    EXPECT_EQ(RoleSummary(roles("")), "");
    EXPECT_EQ(RoleSummary(roles(" DEVELOPER :")), "DEVELOPER"); // one role is trimmed too
}

// Each case changes the valid member and names every line the checks must give, in order, and
// where the first one sends the user.
TEST(MemberChecks, EveryFailureIsListedInOrderWithItsPageAndControl) {
    using P = MemberDetailPage;
    const struct {
        QString changes;
        QStringList expected;
        int control = 0;
        P page = P::General;
    } cases[] = {
        {"", {}},
        {"name=   ;nric=", {T(130), T(131)}, IDC_MEMBER_NAME},
        {"type=N;country=", {T(131), T(156)}, IDC_PASSPORT_NO},
        {"type=O;other=  ", {T(131)}, IDC_OTHER_ID},
        {"country=", {}}, // an NRIC needs no country
        {"type=O;other=X;country=", {}},
        {"nric=1234567A", {T(132)}, IDC_NRIC_NO},
        {"road=;postal=12345", {T(133), T(135)}, IDC_MEMBER_ROAD_NAME, P::Address},
        {"postal=", {T(134)}, IDC_MEMBER_POSTAL_CODE, P::Address},
        {"formatted=N;road=;postal=;line1=  ", {T(136)}, IDC_ADDRESS_LINE1, P::Address},
        {"tel=6123 4567;ext=x1;fax=+65;mobile=9-1;pager=p",
         {T(159), T(160), T(161), T(162), T(163)},
         IDC_TEL_NO,
         P::Contact},
        {"email=;email2=a@b.c,d@e.f", {T(125), T(137)}, IDC_EMAIL, P::Contact},
        {"roles=", {T(158)}, IDC_ROLE_CHOICES},
        // A role row without its role ends the roles check.
        {"roles=ARCHITECT:1,:2,:", {"Record number: 2. " + T(126)}, IDC_ROLES_LIST},
        {"roles=DEVELOPER:,ARCHITECT:", {"Record number: 2 " + T(127)}, IDC_ROLES_LIST},
        {"roles=ARCHITECT:a1,DEVELOPER:,architect:A1", {"Roles 1 & 3. " + T(154)}, IDC_ROLES_LIST},
        {"coordinator=Y;roles=DEVELOPER:", {T(177)}, IDC_COORDINATOR},
        {"coordinator=Y", {T(138)}, IDC_TEL_NO, P::Contact},
        {"coordinator=Y;mobile=91234567", {}},
        {"coordinator=Y;tel=61234567", {}},
    };
    for (const auto& c : cases) {
        MemberValues v = member(c.changes);
        const QList<MemberCheckFailure> failures = RunMemberChecks(v);
        QStringList texts;
        for (const MemberCheckFailure& failure : failures)
            texts << failure.text;
        EXPECT_EQ(texts, c.expected) << c.changes.toStdString();
        EXPECT_TRUE(failures.isEmpty() ||
                    (failures.front().page == c.page && failures.front().controlId == c.control))
            << c.changes.toStdString();
    }
    // The name, an other identification and an unformatted first line are stored trimmed.
    MemberValues v = member("name=  TAN  ;type=O;other= WP 42 ;formatted=N;line1= 1 JALAN ");
    EXPECT_TRUE(RunMemberChecks(v).isEmpty());
    EXPECT_EQ(v.name + "|" + v.otherId + "|" + v.addressLines[0], "TAN|WP 42|1 JALAN");
}

TEST(MemberChecks, SameIdentityNeedsTheSameCountryLetterCaseAside) {
    // Letter case is Qt's folding, not only ASCII's; anything else is a different identity.
    const struct {
        const char16_t *stored, *typed;
        bool same;
        const char16_t* country = u"SINGAPORE";
    } keys[] = {{u"S1234567D", u"s1234567d", true},
                {u"S1234567D", u"s1234567d", false, u"Malaysia"},
                {u"S1234567D", u"S1234567E", false},
                {u"S1234567D", u"S1234567", false},
                {u"K9", u"\u212A9", true},
                {u"\u00C91", u"\u00C81", false},
                {u"@1", u"`1", false},
                {u"Z1", u"z1", true},
                {u"a1", u"A1", true}};
    for (const auto& key : keys) {
        RecordRow row(kMemberColumnCount);
        row.SetCell(COL_IC_PASSPORT_NO, key.stored);
        row.SetCell(COL_COUNTRY, key.country);
        const QString typed = QString::fromUtf16(key.typed);
        EXPECT_EQ(IdentityKeyOf(member("type=N;country=singapore;passport=" + typed)).Matches(row),
                  key.same)
            << typed.toStdString();
    }
}

TEST(MemberCoordinator, ArchitectWinsThenEngineerThenTheFirstCoordinatingRole) {
    const QString surveyor = "REGISTERED SURVEYOR:7,",
                  mechanical = "PROFESSIONAL ENGINEER (MECHANICAL):8,";
    const std::pair<QString, QString> cases[] = {
        {"DEVELOPER:", ""},
        {surveyor, "RS7"},
        {surveyor + mechanical, "PE8"},
        {mechanical + "PROFESSIONAL ENGINEER (ELECTRICAL):9", "PE8"},
        {mechanical + "ARCHITECT:1234," + surveyor, "A1234"},
        // An accredited checker carries a number but does not coordinate.
        {"ACCREDITED CHECKER:5," + surveyor, "RS7"},
    };
    for (const auto& [rows, number] : cases)
        EXPECT_EQ(CoordinatorProfessionalNo(roles(rows)), number) << rows.toStdString();

    RecordTable members(kMemberColumnCount);
    for (const char* flag : {"N", "y", "Y", "Y"})
        members.AppendRow().SetCell(COL_COORDINATOR, QString::fromLatin1(flag));
    EXPECT_EQ(FindCoordinatorRow(members), 2);
    EXPECT_EQ(FindCoordinatorRow(RecordTable(kMemberColumnCount)), -1);
}

// Written to a file and read back, every member of a group large enough to be read in halves
// keeps its own cells and roles, whatever their characters. (The elements and codes as a file
// has them: through the saves of the sample record in the registration tests.)
TEST(MemberXml, WrittenMembersReadBackCellForCell) {
    std::deque<RecordTable> owned; // the roles tables stay where they are as more are made
    const auto makeRoles = [&owned] { return &owned.emplace_back(kRoleColumnCount); };
    RecordTable members(kMemberColumnCount);
    for (int i = 0; i < kParallelReadFrom + 7; ++i) {
        RecordRow& row = members.AppendRow();
        for (int column = 0; column < kMemberColumnCount; ++column)
            row.SetCell(column, QStringLiteral("<&\"'> Ünïcødé 漢字 %1").arg(i));
        row.SetCell(COL_FORMATTED, i % 2 ? u"N" : u"Y");
        row.SetCell(COL_ROAD_NAME, i % 2 ? u"" : u"ORCHARD ROAD");
        RecordTable* rows = makeRoles();
        const QStringList all = QString("ARCHITECT:A&%1,DEVELOPER:,:P%1").arg(i).split(',');
        *rows = roles(all.mid(0, i % 4).join(','));
        row.SetCell(COL_ROLES, RoleSummary(*rows));
        row.SetItemData(RolesData(rows));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("members.xml"));
    XmlDocPtr doc = CreateXMLDoc();
    WriteMemberGroup(*doc, doc->append_child("member_group"), members);
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    const RecordTable back = ReadMemberGroup(doc->child("member_group"), makeRoles);
    ASSERT_EQ(back.GetRowCount(), members.GetRowCount());
    for (int row = 0; row < back.GetRowCount(); ++row) {
        for (int column = 0; column < kMemberColumnCount; ++column)
            ASSERT_EQ(back.GetCell(row, column), members.GetCell(row, column)) << row;
        const RecordTable* read = RolesOf(back.GetItemData(row));
        ASSERT_NE(read, RolesOf(members.GetItemData(row)));
        ASSERT_EQ(*read, *RolesOf(members.GetItemData(row))) << row;
    }
    // Nothing under the group for no members.
    doc = CreateXMLDoc();
    WriteMemberGroup(*doc, doc->append_child("member_group"), RecordTable(kMemberColumnCount));
    EXPECT_FALSE(doc->first_child().first_child());
}
