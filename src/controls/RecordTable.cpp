#include "controls/RecordTable.h"

#include <QVarLengthArray>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
[[noreturn]] void outOfBound() {
    throw std::out_of_range("Array out of bound");
}

// Tables are changed on the interface thread and read on others (a document's rows), so the
// counter is atomic; 64 bits do not wrap in a run.
quint64 nextRevision() {
    static std::atomic<quint64> last{0};
    return ++last;
}
// One cell's text as AssignCells takes it: where it lies, how long it is, and whether it is
// UTF-16 (else one byte per character: ASCII or Latin-1). Trivial, so that a row's array of
// them is not cleared before each field fills its own.
struct CellSource {
    const void* data;
    qsizetype size;
    bool utf16;
};

// Fields are mostly short: a few word loads, overlapping where the length is not a multiple of
// eight, rather than a look at each byte.
bool isAscii(const char* text, qsizetype size) {
    const auto load = [](auto& word, const char* at) { std::memcpy(&word, at, sizeof word); };
    if (size >= 8) {
        quint64 any = 0;
        load(any, text + size - 8);
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            quint64 word;
            load(word, text + i);
            any |= word;
        }
        return (any & 0x8080808080808080ULL) == 0;
    }
    if (size >= 4) {
        quint32 first;
        quint32 last;
        load(first, text);
        load(last, text + size - 4);
        return ((first | last) & 0x80808080U) == 0;
    }
    unsigned any = 0;
    for (qsizetype i = 0; i < size; ++i)
        any |= static_cast<unsigned char>(text[i]);
    return any < 0x80;
}

// One byte per character into UTF-16.
void widen(const char* from, qsizetype size, QChar* to) {
#if defined(__SSE2__)
    if (size >= 8) {
        const __m128i zero = _mm_setzero_si128();
        const auto eight = [&](qsizetype at) {
            const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + at));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at), _mm_unpacklo_epi8(bytes, zero));
        };
        qsizetype i = 0;
        for (; i + 8 <= size; i += 8)
            eight(i);
        if (i < size)
            eight(size - 8); // the last eight again, over some already written
        return;
    }
#endif
    for (qsizetype i = 0; i < size; ++i)
        to[i] = QChar(static_cast<char16_t>(static_cast<unsigned char>(from[i])));
}
} // namespace

// Each cell's end offset takes two QChars at the front of the buffer (offsets may pass 65,535:
// a loaded cell is never cut to fit).
constexpr qsizetype kOffsetChars = 2;

RecordRow::RecordRow(int columnCount) : m_columnCount(qMax(columnCount, 0)) {}

qsizetype RecordRow::cellEnd(int column) const {
    const QChar* at = m_buffer.constData() + column * kOffsetChars;
    return (qsizetype(at[0].unicode()) << 16) | at[1].unicode();
}

qsizetype RecordRow::cellStart(int column) const {
    return column == 0 ? m_columnCount * kOffsetChars : cellEnd(column - 1);
}

void RecordRow::setCellEnd(int column, qsizetype end) {
    QChar* at = m_buffer.data() + column * kOffsetChars;
    at[0] = QChar(static_cast<char16_t>(end >> 16));
    at[1] = QChar(static_cast<char16_t>(end & 0xFFFF));
}

QStringView RecordRow::CellView(int column) const {
    if (column < 0 || column >= m_columnCount)
        outOfBound();
    if (m_buffer.isEmpty())
        return {};
    const qsizetype start = cellStart(column);
    return QStringView(m_buffer).sliced(start, cellEnd(column) - start);
}

bool RecordRow::CellEqualsIgnoringCase(int column, QStringView text) const {
    const QStringView cell = CellView(column);
    // Case folding keeps every character in its plane, so texts of different lengths in UTF-16
    // never match.
    if (cell.size() != text.size())
        return false;
    // Most keys are ASCII: those characters are folded here, and the first other difference
    // hands the whole comparison to Qt (which also knows that, say, the Kelvin sign folds to k).
    const auto asciiLower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const char16_t a = cell[i].unicode(), b = text[i].unicode();
        if (a == b)
            continue;
        if ((a | b) >= 0x80)
            return cell.compare(text, Qt::CaseInsensitive) == 0;
        if (asciiLower(a) != asciiLower(b))
            return false;
    }
    return true;
}

void RecordRow::SetCell(int column, QStringView text) {
    if (column < 0 || column >= m_columnCount)
        outOfBound();
    if (m_buffer.isEmpty()) {
        if (text.isEmpty())
            return;
        const qsizetype header = m_columnCount * kOffsetChars;
        m_buffer.resize(header);
        for (int c = 0; c < m_columnCount; ++c)
            setCellEnd(c, header);
    }
    const qsizetype start = cellStart(column);
    const qsizetype oldLength = cellEnd(column) - start;
    if (oldLength == text.size() && CellView(column) == text)
        return;
    m_buffer.replace(start, oldLength, text.data(), text.size());
    const qsizetype shift = text.size() - oldLength;
    for (int c = column; c < m_columnCount; ++c)
        setCellEnd(c, cellEnd(c) + shift);
}

void RecordRow::AssignCells(const QStringView* cells, int count) {
    count = qBound(0, count, m_columnCount);
    const qsizetype header = m_columnCount * kOffsetChars;
    qsizetype length = header;
    for (int c = 0; c < count; ++c)
        length += cells[c].size();
    if (length == header) {
        m_buffer.clear();
        return;
    }
    QString buffer(length, Qt::Uninitialized);
    std::swap(m_buffer, buffer);
    qsizetype end = header;
    for (int c = 0; c < m_columnCount; ++c) {
        if (c < count) {
            std::copy_n(cells[c].data(), cells[c].size(), m_buffer.data() + end);
            end += cells[c].size();
        }
        setCellEnd(c, end);
    }
}

void RecordRow::AssignCells(const QAnyStringView* cells, int count) {
    count = qBound(0, count, m_columnCount);
    const qsizetype header = m_columnCount * kOffsetChars;
    // ASCII, Latin-1 and UTF-16 go into the buffer as they stand, one character per unit; only
    // UTF-8 beyond ASCII is decoded first, exactly as QString::fromUtf8 decodes it.
    std::unique_ptr<QString[]> decoded;
    QVarLengthArray<CellSource, 32> sources(count);
    qsizetype length = header;
    for (int c = 0; c < count; ++c) {
        CellSource& source = sources[c];
        cells[c].visit([&](auto text) {
            source = {text.data(), text.size(), false};
            if constexpr (std::is_same_v<decltype(text), QStringView>) {
                source.utf16 = true;
            } else if constexpr (std::is_same_v<decltype(text), QUtf8StringView>) {
                if (!isAscii(text.data(), text.size())) {
                    if (!decoded)
                        decoded = std::make_unique<QString[]>(static_cast<size_t>(count));
                    decoded[c] = text.toString();
                    source = {decoded[c].constData(), decoded[c].size(), true};
                }
            }
        });
        length += source.size;
    }
    if (length == header) {
        m_buffer.clear();
        return;
    }
    QString buffer(length, Qt::Uninitialized);
    std::swap(m_buffer, buffer);
    QChar* const out = m_buffer.data();
    qsizetype end = header;
    for (int c = 0; c < m_columnCount; ++c) {
        if (c < count) {
            const CellSource& source = sources[c];
            if (source.utf16)
                std::copy_n(static_cast<const QChar*>(source.data), source.size, out + end);
            else
                widen(static_cast<const char*>(source.data), source.size, out + end);
            end += source.size;
        }
        out[c * kOffsetChars] = QChar(static_cast<char16_t>(end >> 16));
        out[c * kOffsetChars + 1] = QChar(static_cast<char16_t>(end & 0xFFFF));
    }
}

bool RecordRow::operator==(const RecordRow& other) const {
    if (m_columnCount != other.m_columnCount || m_itemData != other.m_itemData)
        return false;
    for (int column = 0; column < m_columnCount; ++column)
        if (CellView(column) != other.CellView(column))
            return false;
    return true;
}

RecordTable::RecordTable(int columnCount)
    : m_columnCount(qMax(columnCount, 0)), m_revision(nextRevision()) {}

RecordTable::RecordTable(RecordTable&& other) noexcept
    : m_columnCount(other.m_columnCount), m_rows(std::move(other.m_rows)),
      m_revision(other.m_revision) {
    other.m_rows.clear();
    other.changed();
}

RecordTable& RecordTable::operator=(RecordTable&& other) noexcept {
    if (this == &other)
        return *this;
    m_columnCount = other.m_columnCount;
    m_rows = std::move(other.m_rows);
    m_revision = other.m_revision;
    other.m_rows.clear();
    other.changed();
    return *this;
}

void RecordTable::changed() {
    m_revision = nextRevision();
}

const RecordRow& RecordTable::GetRow(int row) const {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    return m_rows.at(row);
}

QString RecordTable::GetCell(int row, int column) const {
    return GetRow(row).GetCell(column);
}

QStringView RecordTable::CellView(int row, int column) const {
    return GetRow(row).CellView(column);
}

RecordRow& RecordTable::rowToChange(int row) {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    changed();
    return m_rows[row];
}

void RecordTable::SetCell(int row, int column, QStringView text) {
    if (column < 0 || column >= m_columnCount)
        outOfBound();
    rowToChange(row).SetCell(column, text);
}

RecordItemData RecordTable::GetItemData(int row) const {
    return GetRow(row).GetItemData();
}

void RecordTable::SetItemData(int row, RecordItemData data) {
    rowToChange(row).SetItemData(data);
}

RecordRow& RecordTable::AppendRow() {
    changed();
    m_rows.emplace_back(m_columnCount);
    return m_rows.back();
}

RecordRow& RecordTable::InsertRow(int row) {
    if (row < 0 || row > GetRowCount())
        outOfBound();
    changed();
    return *m_rows.emplace(row, m_columnCount);
}

void RecordTable::RemoveRow(int row) {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    changed();
    m_rows.removeAt(row);
}

void RecordTable::RemoveAll() {
    changed();
    m_rows.clear();
}

void RecordTable::AppendRows(RecordTable&& other) {
    changed();
    other.changed();
    m_rows.append(std::move(other.m_rows));
}
