#include "controls/VariantTableSource.h"

#include "sdk/VariantTable.h"

int CVariantTableSource::GetCount() const {
    if (!m_pTable || m_pTable->isEmpty())
        return 0;
    return m_pTable->rowCount();
}

QString CVariantTableSource::GetText(int row) const {
    if (row < 0 || row >= GetCount())
        return QString();
    QString text;
    // The table keeps every cell as text already (numbers in their text form), so a cell that
    // cannot be read is only one outside the table's columns.
    if (!m_pTable->cellText(1, row, &text))
        return QString();
    return text;
}
