#pragma once
// Finding the stored record that an Update would duplicate, without reading every row.
//
// A record page refuses a record whose key (a lot's number and Mukim/TS, a member's identity and
// country, every part of an address) equals another row's, letter case aside. Comparing the form
// with each row costs a few milliseconds at 50,000 rows, on every Update. The index instead counts
// the rows of each hash of their folded key cells: a key that no row has, the usual answer, is
// known at once, and only a possible match reads the rows, which also settles a hash collision.

#include "controls/RecordTable.h"

#include <QHash>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The key cells of a record: each (column, text) must equal the row's cell, letter case aside
// (Qt's case folding: the Kelvin sign is a k, but "ß" is not "ss").
class RecordKey {
public:
    using Cells = std::vector<std::pair<int, QString>>;
    explicit RecordKey(Cells cells) : m_cells(std::move(cells)) {}

    bool Matches(const RecordRow& row) const;
    const Cells& GetCells() const { return m_cells; }

private:
    Cells m_cells;
};

// The counts of one table's key hashes. It follows the table by its revision: after a change it
// was not told of (a reload, an exchange with the page), the next search counts every row again.
class DuplicateIndex {
public:
    // The first row other than `except` (-1: none) whose key cells equal `key`'s, or -1.
    int FindOther(const RecordTable& table, const RecordKey& key, int except);
    // Counts the table's rows by the columns of `key` now, unless the counts describe it
    // already: the first search after a reload then costs no more than the others.
    void Prepare(const RecordTable& table, const RecordKey& key);

    // Around one change of the table that moves no key cells but those of one row: `row` before
    // the change is the row edited or removed (-1 for an added row), after it the row edited or
    // added (-1 for a removed row). The counts then follow the change, not the whole table. A
    // change that did not happen (a deletion the user declined) leaves them as they were.
    void BeforeRowChange(const RecordTable& table, int row);
    void AfterRowChange(const RecordTable& table, int row);

private:
    size_t hashOf(const RecordRow& row) const;
    size_t hashOf(const RecordKey& key) const;
    void countAll(const RecordTable& table);

    std::vector<int> m_columns;
    QHash<size_t, int> m_counts;
    // The revision of the table the counts describe; 0 (no table has it) when none.
    quint64 m_revision = 0;
    // Between BeforeRowChange and AfterRowChange: the revision then, and the hash of the row
    // that is going, if there is one.
    quint64 m_revisionBefore = 0;
    std::optional<size_t> m_leaving;
};
