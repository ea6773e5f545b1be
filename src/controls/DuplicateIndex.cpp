#include "controls/DuplicateIndex.h"

namespace {
// Hashes `text` folded as Qt's case-insensitive comparison folds it, code point by code point,
// into `hash` (FNV-1a over the folded UTF-16 units). Two texts that compare equal fold alike, so
// they hash alike; the converse need not hold, since a match is always confirmed on the row.
size_t hashFolded(QStringView text, size_t hash) {
    constexpr size_t kPrime = 0x100000001b3;
    const auto mix = [&hash](char16_t unit) { hash = (hash ^ unit) * kPrime; };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            mix(unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            const char32_t folded =
                QChar::toCaseFolded(QChar::surrogateToUcs4(unit, text[++i].unicode()));
            mix(QChar::highSurrogate(folded));
            mix(QChar::lowSurrogate(folded));
        } else {
            // A lone surrogate has no case and stays as it is.
            mix(char16_t(QChar::toCaseFolded(char32_t(unit))));
        }
    }
    // The end of a cell, so that "AB" and "C" do not hash as "A" and "BC".
    mix(0xFFFF);
    return hash;
}

constexpr size_t kHashStart = 0xcbf29ce484222325;
} // namespace

bool RecordKey::Matches(const RecordRow& row) const {
    for (const auto& [column, text] : m_cells)
        if (!row.CellEqualsIgnoringCase(column, text))
            return false;
    return true;
}

int DuplicateIndex::FindOther(const RecordTable& table, const RecordKey& key, int except) {
    Prepare(table, key);
    const size_t hash = hashOf(key);
    int count = m_counts.value(hash);
    // The row the form was loaded from is not a duplicate of itself.
    if (except >= 0 && except < table.GetRowCount() && hashOf(table.GetRow(except)) == hash)
        --count;
    if (count <= 0)
        return -1;
    for (int row = 0; row < table.GetRowCount(); ++row)
        if (row != except && key.Matches(table.GetRow(row)))
            return row;
    return -1;
}

void DuplicateIndex::Prepare(const RecordTable& table, const RecordKey& key) {
    std::vector<int> columns;
    columns.reserve(key.GetCells().size());
    for (const auto& cell : key.GetCells())
        columns.push_back(cell.first);
    if (columns != m_columns || table.Revision() != m_revision) {
        m_columns = std::move(columns);
        countAll(table);
    }
}

void DuplicateIndex::BeforeRowChange(const RecordTable& table, int row) {
    m_revisionBefore = table.Revision();
    m_leaving.reset();
    if (m_revision == m_revisionBefore && row >= 0 && row < table.GetRowCount())
        m_leaving = hashOf(table.GetRow(row));
}

void DuplicateIndex::AfterRowChange(const RecordTable& table, int row) {
    const quint64 before = std::exchange(m_revisionBefore, 0);
    // Counts that did not describe the table before the change cannot follow it; the next
    // search counts again.
    if (m_revision == 0 || m_revision != before || table.Revision() == before)
        return;
    if (m_leaving) {
        const auto it = m_counts.find(*m_leaving);
        if (it != m_counts.end() && --it.value() <= 0)
            m_counts.erase(it);
    }
    if (row >= 0 && row < table.GetRowCount())
        ++m_counts[hashOf(table.GetRow(row))];
    m_revision = table.Revision();
}

size_t DuplicateIndex::hashOf(const RecordRow& row) const {
    size_t hash = kHashStart;
    for (int column : m_columns)
        hash = hashFolded(row.CellView(column), hash);
    return hash;
}

size_t DuplicateIndex::hashOf(const RecordKey& key) const {
    size_t hash = kHashStart;
    for (const auto& cell : key.GetCells())
        hash = hashFolded(cell.second, hash);
    return hash;
}

void DuplicateIndex::countAll(const RecordTable& table) {
    m_revision = 0;
    m_counts.clear();
    m_counts.reserve(table.GetRowCount());
    for (int row = 0; row < table.GetRowCount(); ++row)
        ++m_counts[hashOf(table.GetRow(row))];
    m_revision = table.Revision();
}
