// Large record groups are read in two halves at once: the table must come out as one reading in
// order would make it, each half told where it starts, and a failure in either half must reach
// the caller.
#include "pages/RecordRowsReader.h"

#include "sdk/XmlHelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace kestrel;

TEST(RecordRowsReader, RowsInDocumentOrderAndAFailureInEitherHalfReachesTheCaller) {
    const int count = 2 * kParallelReadFrom + 1;
    const XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node group = doc->append_child("group");
    for (int i = 0; i < count; ++i)
        group.append_child("r").text().set(i);
    const std::vector<pugi::xml_node> records = RecordsOf(group, "r");
    // Each row: the record's own text, and its index as the reader was told it.
    int failing = -1;
    const auto read = [&failing](std::span<const pugi::xml_node> part, size_t first,
                                 RecordTable& into) {
        for (size_t i = 0; i < part.size(); ++i) {
            if (first + i == size_t(failing))
                throw std::runtime_error("unreadable record");
            RecordRow& row = into.AppendRow();
            row.SetCell(0, QString::fromUtf8(part[i].text().get()));
            row.SetCell(1, QString::number(first + i));
        }
    };
    const RecordTable table = ReadRecordRows(records, 2, read);
    ASSERT_EQ(table.GetRowCount(), count);
    for (int row = 0; row < count; ++row)
        ASSERT_EQ(table.GetCell(row, 0) + "|" + table.GetCell(row, 1), QString("%1|%1").arg(row));
    for (const int row : {3, count - 3}) {
        failing = row;
        EXPECT_THROW(ReadRecordRows(records, 2, read), std::runtime_error) << row;
    }
}
