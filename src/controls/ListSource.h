#pragma once
// CListSource: the read-only list a drop-list combo shows without copying it (the road table).
// The combo and its popup ask only for the count and the texts of the rows they draw, and find
// rows by prefix.
//
// Prefix comparison folds ASCII letters only (A-Z = a-z) and otherwise compares Unicode code
// points. That is exactly SQLite's NOCASE collation (ASCII folding over UTF-8 byte order), which
// orders the road table, so a bisection over a table read "order by" a NOCASE column finds what a
// scan would. Locale-aware or full Unicode folding would disagree with the database order for
// names such as "Émile" or "ß" and make bisection miss rows; never change one without the other.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <utility>

class CListSource {
public:
    virtual ~CListSource() = default;

    virtual int GetCount() const = 0;
    // The row's text; "" for a row outside 0 .. GetCount() - 1.
    virtual QString GetText(int index) const = 0;
    // True when the rows are in ascending order by ComparePrefix's rule; the finds then bisect.
    virtual bool IsSorted() const { return false; }

    // The lowest row in start .. count - 1 whose text begins with prefix (ignoring ASCII case);
    // failing that the lowest in 0 .. start - 1; else -1. A start outside the rows means 0. An
    // empty prefix matches every row.
    virtual int FindString(int start, const QString& prefix) const;
    // The highest row in 0 .. start - 1 whose text begins with prefix; failing that the lowest in
    // start .. count - 1; else -1.
    virtual int FindStringBefore(int start, const QString& prefix) const;

    // Compares the beginning of text, as long as prefix, with prefix: < 0, 0 (text begins with
    // prefix) or > 0. ASCII case folded, code point order, as described above.
    static int ComparePrefix(QStringView text, QStringView prefix);
    static bool StartsWith(QStringView text, QStringView prefix) {
        return ComparePrefix(text, prefix) == 0;
    }
    // Whole-text order by the same rule (a text sorts after the shorter texts it begins with):
    // the order of "ORDER BY name COLLATE NOCASE".
    static int CompareText(QStringView a, QStringView b);

protected:
    // The rows whose text begins with prefix, [*first, *last), on a sorted source: two bisections,
    // about 2 * log2(count) texts read.
    void MatchingRange(QStringView prefix, int* first, int* last) const;
};

// An in-memory list, for small fixed lists and for tests. Sorted or not, as the caller says.
class CStringListSource : public CListSource {
public:
    CStringListSource() = default;
    explicit CStringListSource(QStringList items, bool sorted = false)
        : m_items(std::move(items)), m_bSorted(sorted) {}

    void SetItems(QStringList items, bool sorted) {
        m_items = std::move(items);
        m_bSorted = sorted;
    }
    // Sorts the items by CompareText and marks the list sorted.
    void Sort();

    int GetCount() const override { return static_cast<int>(m_items.size()); }
    QString GetText(int index) const override {
        return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
    }
    bool IsSorted() const override { return m_bSorted; }

protected:
    QStringList m_items;
    bool m_bSorted = false;
};
