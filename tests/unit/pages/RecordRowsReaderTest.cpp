// Large record groups are read in two halves at once: the table must come out as one reading in
// order would make it, and a failure in either half must reach the caller.
#include "pages/RecordRowsReader.h"

#include "pages/member/MemberRecord.h"
#include "sdk/XmlHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

using namespace kestrel;

namespace {

XmlDocPtr groupOf(int count) {
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node group = doc->append_child("group");
    for (int i = 0; i < count; ++i)
        group.append_child("r").text().set(i);
    return doc;
}

// Each row: the record's own text, and its index as the reader was told it.
void readNumbers(std::span<const pugi::xml_node> records, size_t first, RecordTable& into) {
    for (size_t i = 0; i < records.size(); ++i) {
        RecordRow& row = into.AppendRow();
        row.SetCell(0, QString::fromUtf8(records[i].text().get()));
        row.SetCell(1, QString::number(first + i));
    }
}

TEST(RecordRowsReader, RowsInDocumentOrderWhetherReadInOneGoOrInHalves) {
    for (const int count :
         {0, 1, kParallelReadFrom - 1, kParallelReadFrom, 3 * kParallelReadFrom + 1}) {
        const XmlDocPtr doc = groupOf(count);
        const RecordTable table =
            ReadRecordRows(RecordsOf(doc->child("group"), "r"), 2, readNumbers);
        ASSERT_EQ(table.GetRowCount(), count);
        for (int row = 0; row < count; ++row) {
            ASSERT_EQ(table.GetCell(row, 0), QString::number(row)) << count;
            ASSERT_EQ(table.GetCell(row, 1), QString::number(row)) << count;
        }
    }
}

TEST(RecordRowsReader, AFailureInEitherHalfReachesTheCaller) {
    const int count = 2 * kParallelReadFrom;
    const XmlDocPtr doc = groupOf(count);
    const std::vector<pugi::xml_node> records = RecordsOf(doc->child("group"), "r");
    for (const int failing : {3, count - 3}) {
        const auto read = [failing](std::span<const pugi::xml_node> part, size_t first,
                                    RecordTable& into) {
            if (failing >= static_cast<int>(first) &&
                failing < static_cast<int>(first + part.size()))
                throw std::runtime_error("unreadable record");
            readNumbers(part, first, into);
        };
        EXPECT_THROW(ReadRecordRows(records, 2, read), std::runtime_error) << failing;
    }
}

// A member group large enough to be read in halves: every member keeps its own cells and roles.
TEST(RecordRowsReader, EveryMemberOfALargeGroupKeepsItsOwnRoles) {
    std::vector<std::unique_ptr<RecordTable>> owned;
    const auto makeRoles = [&owned] {
        owned.push_back(std::make_unique<RecordTable>(kRoleColumnCount));
        return owned.back().get();
    };
    const int count = kParallelReadFrom + 7;
    RecordTable members(kMemberColumnCount);
    for (int i = 0; i < count; ++i) {
        RecordRow& row = members.AppendRow();
        row.SetCell(COL_MEMBER_NAME, QStringLiteral("MEMBER %1").arg(i));
        row.SetCell(COL_FORMATTED, QStringLiteral("N"));
        RecordTable* roles = makeRoles();
        for (int r = 0; r < i % 3; ++r) {
            RecordRow& role = roles->AppendRow();
            role.SetCell(ROLE_PROFESSIONAL_NO, QStringLiteral("P%1-%2").arg(i).arg(r));
        }
        row.SetCell(COL_ROLES, RoleSummary(*roles));
        row.SetItemData(RolesData(roles));
    }
    XmlDocPtr doc = CreateXMLDoc();
    WriteMemberGroup(*doc, doc->append_child("member_group"), members);

    const RecordTable back = ReadMemberGroup(doc->child("member_group"), makeRoles);
    ASSERT_EQ(back.GetRowCount(), count);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < kMemberColumnCount; ++column)
            ASSERT_EQ(back.GetCell(row, column), members.GetCell(row, column)) << row;
        const RecordTable* roles = RolesOf(back.GetItemData(row));
        ASSERT_NE(roles, RolesOf(members.GetItemData(row)));
        ASSERT_EQ(*roles, *RolesOf(members.GetItemData(row))) << row;
    }
}

} // namespace
