// Large record groups are read in two halves at once: the table must come out as one reading in
// order would make it, and a failure in either half must reach the caller.
#include "pages/RecordRowsReader.h"

#include "sdk/XmlHelpers.h"

#include <gtest/gtest.h>

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

} // namespace
