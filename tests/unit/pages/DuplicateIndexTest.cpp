// The duplicate index against the plain answer: the first other row whose key cells equal the
// key under Qt's case-insensitive comparison, whatever was done to the table before the question.
#include "controls/DuplicateIndex.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Texts that fold alike or nearly: ASCII case, the Kelvin sign (a k to Qt), "ß" and "ss" (not
// alike to Qt), a Deseret capital and small letter (a surrogate pair each), a lone surrogate.
const QString kTexts[] = {QStringLiteral("k1"),         QStringLiteral("K1"),
                          QStringLiteral("\u212A1"),    QStringLiteral("ss"),
                          QStringLiteral("\u00DF"),     QStringLiteral("SS"),
                          QStringLiteral("\U00010400"), QStringLiteral("\U00010428"),
                          QString(QChar(0xD801)),       QString()};

int plainFind(const RecordTable& table, const RecordKey& key, int except) {
    for (int row = 0; row < table.GetRowCount(); ++row) {
        if (row == except)
            continue;
        bool same = true;
        for (const auto& [column, text] : key.GetCells())
            same = same && table.CellView(row, column).compare(text, Qt::CaseInsensitive) == 0;
        if (same)
            return row;
    }
    return -1;
}

} // namespace

TEST(DuplicateIndex, FindsWhatAScanOfEveryRowFinds) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](int count) {
            return std::uniform_int_distribution<int>(0, count - 1)(random);
        };
        const auto text = [&pick] { return kTexts[pick(std::size(kTexts))]; };
        const auto fill = [&text](RecordRow& row) {
            for (int column = 0; column < row.GetColumnCount(); ++column)
                row.SetCell(column, text());
        };
        RecordTable table(3);
        for (int row = 0; row < 12; ++row)
            fill(table.AppendRow());
        DuplicateIndex index;
        for (int step = 0; step < 60; ++step) {
            const int rows = table.GetRowCount();
            // The index is told of an edit, an added row or a removal, or not told at all; a
            // removal may also be declined.
            switch (pick(6)) {
            case 0: {
                const int row = rows ? pick(rows) : -1;
                index.BeforeRowChange(table, row);
                if (row >= 0)
                    table.SetCell(row, pick(2), text());
                index.AfterRowChange(table, row);
                break;
            }
            case 1:
                index.BeforeRowChange(table, -1);
                fill(table.AppendRow());
                index.AfterRowChange(table, rows);
                break;
            case 2: {
                const int row = rows ? pick(rows) : -1;
                index.BeforeRowChange(table, row);
                if (row >= 0 && pick(3) > 0)
                    table.RemoveRow(row);
                index.AfterRowChange(table, -1);
                break;
            }
            case 3:
                fill(table.InsertRow(rows ? pick(rows) : 0));
                break;
            case 4:
                if (rows)
                    table.SetCell(pick(rows), pick(2), text());
                break;
            default:
                table = RecordTable(table); // an exchange: the same rows
                break;
            }
            // Every row's own key, as the form loaded from it or from another row would hold it;
            // not after every step, since a deletion asks nothing of the index before it.
            if (pick(2) == 0)
                continue;
            for (int row = 0; row < table.GetRowCount(); ++row) {
                const RecordKey key(
                    {{0, table.GetCell(row, 0).toUpper()}, {1, table.GetCell(row, 1)}});
                for (int except : {row, -1, pick(table.GetRowCount())})
                    ASSERT_EQ(index.FindOther(table, key, except), plainFind(table, key, except))
                        << "seed " << seed << " step " << step << " row " << row;
            }
        }
        // Another key's columns are counted afresh.
        const RecordKey byThird({{2, text()}});
        EXPECT_EQ(index.FindOther(table, byThird, -1), plainFind(table, byThird, -1));
    }
}
