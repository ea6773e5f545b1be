#pragma once
// CVariantTableSource: a lookup query's table seen as a list of the texts in its second column
// (the road names beside their codes). The table is borrowed, never copied.

#include "controls/ListSource.h"

class VariantTable;

class CVariantTableSource : public CListSource {
public:
    CVariantTableSource() = default;

    // Points the source at a table (null: no table, no rows). The table must outlive the source
    // or be replaced first.
    void SetTable(const VariantTable* table) { m_pTable = table; }
    const VariantTable* Table() const { return m_pTable; }

    // The table's rows; 0 without a table or when it holds no array.
    int GetCount() const override;
    // Column 1 of the row as text; "" for a row outside the table or an unreadable cell.
    QString GetText(int row) const override;
    bool IsSorted() const override { return m_bSorted; }

    // The road query orders by name, so the source starts out sorted.
    bool m_bSorted = true;

private:
    const VariantTable* m_pTable = nullptr;
};
