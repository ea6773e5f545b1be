#include "sdk/VariantTable.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

QString text(const VariantTable& table, int column, int row) {
    QString value = QStringLiteral("<untouched>");
    table.cellText(column, row, &value);
    return value;
}

TEST(VariantTable, NeverFilledIsEmptyAndAnswersNothing) {
    VariantTable table;
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.columnCount(), 0);
    EXPECT_EQ(table.rowCount(), 0);
    QString value = QStringLiteral("keep");
    EXPECT_FALSE(table.cellText(0, 0, &value));
    EXPECT_EQ(value, QStringLiteral("keep"));
    EXPECT_TRUE(table.cellUtf8(0, 0).isEmpty());
}

TEST(VariantTable, FilledWithNoRowsIsNotEmpty) {
    VariantTable table;
    table.begin(2);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_EQ(table.columnCount(), 2);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_FALSE(table.cellText(0, 0, nullptr));
}

TEST(VariantTable, CellsAreAddressedColumnFirst) {
    const VariantTable table =
        VariantTable::fromRows(2, {{QStringLiteral("R001"), QStringLiteral("ORCHARD ROAD")},
                                   {QStringLiteral("R002"), QString()},
                                   {QStringLiteral("R003"), QStringLiteral("JALAN BAHAGIA")}});
    ASSERT_EQ(table.rowCount(), 3);
    ASSERT_EQ(table.columnCount(), 2);
    EXPECT_EQ(text(table, 0, 0), QStringLiteral("R001"));
    EXPECT_EQ(text(table, 1, 0), QStringLiteral("ORCHARD ROAD"));
    EXPECT_EQ(text(table, 1, 1), QString());
    EXPECT_EQ(text(table, 0, 2), QStringLiteral("R003"));
    EXPECT_EQ(table.cellUtf8(1, 2), QByteArrayView("JALAN BAHAGIA"));
}

TEST(VariantTable, OutsideTheTableIsRefusedOnEverySide) {
    const VariantTable table =
        VariantTable::fromRows(2, {{QStringLiteral("a"), QStringLiteral("b")}});
    for (auto [column, row] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 1}}) {
        EXPECT_FALSE(table.cellText(column, row, nullptr)) << column << "," << row;
        EXPECT_TRUE(table.cellUtf8(column, row).isEmpty()) << column << "," << row;
    }
}

TEST(VariantTable, KeepsNonAsciiTextIntact) {
    const VariantTable table =
        VariantTable::fromRows(1, {{QStringLiteral("Côte d'Ivoire")}, {QStringLiteral("Åland")}});
    EXPECT_EQ(text(table, 0, 0), QStringLiteral("Côte d'Ivoire"));
    EXPECT_EQ(text(table, 0, 1), QStringLiteral("Åland"));
}

TEST(VariantTable, RowsWithTooFewOrTooManyCellsKeepTheShape) {
    VariantTable table;
    table.begin(3);
    table.appendRow({QStringLiteral("only")});
    table.appendRow(
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("ignored")});
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(text(table, 0, 0), QStringLiteral("only"));
    EXPECT_EQ(text(table, 2, 0), QString());
    EXPECT_EQ(text(table, 0, 1), QStringLiteral("a"));
    EXPECT_EQ(text(table, 2, 1), QStringLiteral("c"));
}

TEST(VariantTable, ClearAndRefillStartsOver) {
    VariantTable table = VariantTable::fromRows(1, {{QStringLiteral("old")}});
    table.clear();
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.rowCount(), 0);
    table.begin(1);
    table.appendCell("new");
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(text(table, 0, 0), QStringLiteral("new"));
}

TEST(VariantTable, ZeroColumnsTakesNoCells) {
    VariantTable table;
    table.begin(0);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_FALSE(table.appendCell("x"));
    EXPECT_EQ(table.rowCount(), 0);
}

TEST(VariantTable, AMillionRoadRowsFitTheMemoryBudget) {
    VariantTable table;
    table.begin(2);
    char code[16];
    char name[48];
    for (int row = 0; row < 1000000; ++row) {
        const int codeLength = std::snprintf(code, sizeof code, "R%07d", row);
        const int nameLength =
            std::snprintf(name, sizeof name, "ROAD NAME NUMBER %07d AVENUE", row);
        table.appendCell(QByteArrayView(code, codeLength));
        table.appendCell(QByteArrayView(name, nameLength));
    }
    ASSERT_EQ(table.rowCount(), 1000000);
    EXPECT_EQ(text(table, 1, 999999), QStringLiteral("ROAD NAME NUMBER 0999999 AVENUE"));
    EXPECT_LT(table.memoryUsage(), 80 * 1024 * 1024);
}

} // namespace
