#include "controls/ListSource.h"

#include <algorithm>

namespace {

// One code point of s at i (a lone surrogate stands for itself), advancing i.
char32_t nextCodePoint(QStringView s, qsizetype& i) {
    const char16_t c = s[i].unicode();
    ++i;
    if (QChar::isHighSurrogate(c) && i < s.size() && QChar::isLowSurrogate(s[i].unicode())) {
        const char32_t full = QChar::surrogateToUcs4(c, s[i].unicode());
        ++i;
        return full;
    }
    return c;
}

// The database folds upper-case ASCII to lower case, so '_' sorts before letters; folding the
// other way would not agree with it.
char32_t foldAscii(char32_t c) {
    return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
}

} // namespace

int CListSource::ComparePrefix(QStringView text, QStringView prefix) {
    qsizetype t = 0;
    qsizetype p = 0;
    while (p < prefix.size()) {
        if (t >= text.size())
            return -1; // text is shorter than the prefix and agrees with it so far
        const char32_t a = foldAscii(nextCodePoint(text, t));
        const char32_t b = foldAscii(nextCodePoint(prefix, p));
        if (a != b)
            return a < b ? -1 : 1;
    }
    return 0;
}

int CListSource::CompareText(QStringView a, QStringView b) {
    const int c = ComparePrefix(a, b);
    if (c != 0)
        return c;
    return a.size() == b.size() ? 0 : 1; // a begins with b and goes on
}

void CListSource::MatchingRange(QStringView prefix, int* first, int* last) const {
    // Lower bound: first row not below the prefix.
    int lo = 0;
    int hi = GetCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (ComparePrefix(GetText(mid), prefix) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    *first = lo;
    // Upper bound: first row above the prefix, searched only past the lower bound.
    hi = GetCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (ComparePrefix(GetText(mid), prefix) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    *last = lo;
}

int CListSource::FindString(int start, const QString& prefix) const {
    const int count = GetCount();
    if (count <= 0)
        return -1;
    if (start < 0 || start >= count)
        start = 0;
    if (IsSorted()) {
        int first = 0;
        int last = 0;
        MatchingRange(prefix, &first, &last);
        if (first >= last)
            return -1;
        // The matches are one run: the start itself when it lies inside the run, else the run's
        // first row (either ahead of the start or reached by wrapping around).
        return (start >= first && start < last) ? start : first;
    }
    for (int i = start; i < count; ++i) {
        if (StartsWith(GetText(i), prefix))
            return i;
    }
    for (int i = 0; i < start; ++i) {
        if (StartsWith(GetText(i), prefix))
            return i;
    }
    return -1;
}

int CListSource::FindStringBefore(int start, const QString& prefix) const {
    const int count = GetCount();
    if (count <= 0)
        return -1;
    if (IsSorted()) {
        int first = 0;
        int last = 0;
        MatchingRange(prefix, &first, &last);
        if (first >= last)
            return -1;
        if (first < start)
            return std::min(start, last) - 1;
        return first;
    }
    for (int i = std::min(start, count) - 1; i >= 0; --i) {
        if (StartsWith(GetText(i), prefix))
            return i;
    }
    for (int i = std::max(start, 0); i < count; ++i) {
        if (StartsWith(GetText(i), prefix))
            return i;
    }
    return -1;
}

void CStringListSource::Sort() {
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
    m_bSorted = true;
}
